#pragma once

// The system's ANSI code page (1252 on a Western European Windows, 65001
// where Windows uses UTF-8 for programs like this one); 0 where the system
// has none (Linux).
unsigned systemAnsiCodePage();
