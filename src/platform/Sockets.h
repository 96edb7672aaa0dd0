#pragma once

// The socket library. Windows programs start it, in a version they name,
// before their first socket call; other systems have nothing to start.
// True when it runs in exactly that version. Every successful start is
// released when the program ends.
bool startSocketLibrary(int majorVersion, int minorVersion);

// What a program tells the user when the socket library does not start.
inline constexpr const char* kSocketStartupFailed = "Fehler beim Initialisieren der Windows-Sockets.";
