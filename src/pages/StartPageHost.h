#pragma once

#include <QString>
#include <optional>

// What the Start page needs of its window beyond a page's host: loading a
// file, the configuration pages and the wizard. The main sheet is one.
class StartPageHost {
  public:
    virtual ~StartPageHost() = default;

    // Reads the file at path on top of the record, with its report; false
    // when it could not be read.
    virtual bool loadConfiguration(const QString& path) = 0;
    // The configuration pages in (at most once), the one at position page
    // shown, the Printer page when none is given.
    virtual void showConfigurationPages(std::optional<int> page = std::nullopt) = 0;
    // Runs the configuration wizard and takes its answers. The position of
    // the page to show next, or nothing when the wizard was cancelled or its
    // configuration was saved and the window has closed.
    virtual std::optional<int> runWizard() = 0;
    // "Review Changes": what a save would change in the file as loaded.
    virtual void reviewChanges() = 0;
};
