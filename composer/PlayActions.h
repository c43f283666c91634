#pragma once

class OrnWindowController;
class QMenu;

// The Play menu's Play from Here and Play Selection. Like Play/Stop, each
// stops a score that is playing; Play Selection is enabled only while steps
// are selected.
void buildPlayActions(QMenu* play, OrnWindowController* window);
