#pragma once

class DocumentController;
class OrnWindowController;

// The menu bar of a document window: File, Edit, View, Play and Help, with
// the usual shortcuts. Every action is named ("actionSave", ...) so that it
// can be found.
void buildWindowMenus(OrnWindowController* window, DocumentController* controller);
