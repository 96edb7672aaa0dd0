#pragma once

// The application object: starts the program and runs the main window
// modally; when the window closes, the program ends.
class QuarvelApp {
  public:
    int run(int argc, char** argv);

    // The socket library the ping needs: Windows Sockets 1.1 on Windows,
    // nothing elsewhere. A failure is reported with
    // "Fehler beim Initialisieren der Windows-Sockets." and the program ends.
    static bool startSocketLibrary();
};
