#pragma once

class OrnWindowController;
class QMenu;

// The Edit menu's commands on whole steps (Cut, Copy, Paste, Delete and
// Insert Empty Steps), acting on the staff view's selection and highlighted
// cell. Cut, Copy and Delete are enabled only while steps are selected.
void buildStepActions(QMenu* edit, OrnWindowController* window);
