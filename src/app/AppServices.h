#pragma once

class Interaction;
class PrinterTestEnvironment;
class ServerControl;

// The outside world as the windows see it: modal interaction, the print
// server's processes and the printer diagnostics. Tests pass fakes.
struct AppServices {
    Interaction& interaction;
    ServerControl& server;
    PrinterTestEnvironment& diagnostics;
};
