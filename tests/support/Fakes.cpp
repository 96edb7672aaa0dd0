#include "Fakes.h"

#include <QDialog>

bool FakeDiagnostics::Ping(const std::string& address, int, int& responseTimeMs)
{
    pinged.push_back(address);
    responseTimeMs = 4;
    return reachable;
}

int FakeDiagnostics::SendPage(const std::string& address, const std::string& queue, const std::string& pagePath,
                              const std::string&)
{
    pagesSent.push_back(address + " " + queue + " " + pagePath);
    return 0;
}

ScriptedInteraction::ModalHandler ClickButton(const char* buttonName)
{
    return [buttonName](QDialog& dialog) { Click(dialog, buttonName); };
}

ScriptedInteraction::ModalHandler RejectDialog()
{
    return [](QDialog& dialog) { dialog.reject(); };
}
