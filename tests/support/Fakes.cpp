#include "Fakes.h"

#include <QDialog>

bool FakeDiagnostics::ping(const std::string& address, int, int& responseTimeMs)
{
    pinged.push_back(address);
    responseTimeMs = 4;
    return reachable;
}

int FakeDiagnostics::sendPage(const std::string& address, const std::string& queue, const std::string& pagePath,
                              const std::string&)
{
    pagesSent.push_back(address + " " + queue + " " + pagePath);
    return 0;
}

ScriptedInteraction::ModalHandler clickButton(const char* buttonName)
{
    return [buttonName](QDialog& dialog) { click(dialog, buttonName); };
}

ScriptedInteraction::ModalHandler rejectDialog()
{
    return [](QDialog& dialog) { dialog.reject(); };
}
