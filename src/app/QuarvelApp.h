#pragma once

// The application object: starts the program and runs the main window
// modally; when the window closes, the program ends.
class CQuarvelApp {
  public:
    int Run(int argc, char** argv);

    // The socket library the ping needs. Nothing has to be started on this
    // system; a platform whose sockets need starting reports its failure with
    // "Fehler beim Initialisieren der Windows-Sockets." and ends.
    static bool StartSocketLibrary();
};
