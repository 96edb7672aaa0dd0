#pragma once

#include <QString>

// What a save came to, as the report after it tells.
struct SaveOutcome {
    bool saved = false;
    QString writerMessage; // the writer's text, either way
    bool asConfigCfg = false;
    // After a failure: the file on disk (or its absence) is as before.
    bool fileUnchanged = false;
};

// The report of the save and exit dialog: the status, the writer's text,
// then what to do next. After a failure it says that nothing was saved
// instead of advice that would follow a save.
QString saveReport(const SaveOutcome& outcome);
