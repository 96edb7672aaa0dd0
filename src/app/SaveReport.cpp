#include "app/SaveReport.h"

QString saveReport(const SaveOutcome& outcome)
{
    QString report = QStringLiteral("Saving status:\t");
    report += outcome.saved ? QStringLiteral("SUCCESS\n\n") : QStringLiteral("FAILED\n\n");
    report += outcome.writerMessage;
    report += QStringLiteral("\n\n");
    report += QStringLiteral("Information:\n\n");
    if (!outcome.saved) {
        // The writer's text says what failed; a file it left changed it names.
        report += outcome.fileUnchanged ? QStringLiteral("Nothing was saved: the file on disk is as it was.")
                                        : QStringLiteral("The configuration was not saved.");
        return report;
    }
    if (!outcome.asConfigCfg) {
        report += QStringLiteral(
            "!!! The new configuration file was not saved as 'config.cfg'. !!!\n'config.cfg' is the default filename "
            "used by the server start script. You have to rename the file manually or change the start script "
            "'ZELNOR.bat'.\n");
        report += QStringLiteral("'Start or restart the print server' was disabled.\n\n");
    }
    report += QStringLiteral("Restart the ZELNOR application to take effect of any changes in the configuration.");
    return report;
}
