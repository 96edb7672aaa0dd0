#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/WriteGuard.h"
#include "config/Configuration.h"
#include "config/ConfigurationEditor.h"
#include "config/ReaderFindings.h"
#include "platform/SaveFile.h"

// A configuration file opened for a change, as `quarvel-cfg set` and the
// Ansible module make it, in one pass: the file is read once into one
// record, the change is made on it through editor(), and the record is
// formatted once, as it is saved (or for a diff or a filter). Something
// changed when a save writes other bytes than a save of the file as loaded
// (or the file is not there yet); the editor tells that from the fields it
// set, so a file whose values stay as they are is neither formatted nor
// rewritten, even when a save would drop its comments.
class ConfigEdit {
  public:
    // Guards path for the change (WriteGuard: its lock, an interrupted
    // save, a file that holds no configuration), then loads it. With
    // createMissing, a file that is not there starts from the defaults;
    // otherwise, and for any other failure, false with the message.
    bool open(const std::string& path, bool createMissing, const WritePolicy& policy, std::string& message);
    // The same for a text already read (standard input).
    void openText(std::string_view bytes);

    // Makes every change; the first call notes the faults the file has
    // before it.
    ConfigurationEditor& editor(JsonTyping typing = JsonTyping::Strict);

    // The record, with the changes made so far.
    const Configuration& result() const { return m_config; }
    bool existed() const { return m_existed; }
    // The file held something else than a configuration (and the policy
    // allowed replacing it): its content is nobody's business here.
    bool foreign() const { return m_guard.foreignContent(); }
    TextEncoding originalEncoding() const { return m_originalEncoding; }
    // The fault lines (findConfigurationFaults) of the file as loaded.
    const std::vector<std::string>& faultsBefore() const { return m_faultsBefore; }
    bool changed() const;
    // What a save writes, formatted on the first call, once the changes are
    // made.
    const std::string& newText() const;
    // The file's bytes as they are ("" for a file not there).
    const std::string& oldText();

    // Saves the record as the editor saves (temporary file, backup, rename),
    // formatting it on the way. message is the writer's; backupName the file
    // the old one is kept as, "" when none was made.
    bool save(std::string& message, std::string& backupName, const SaveOptions& options = {}) const;

    // The check's warnings as texts, "FILE:LINE: warning: TEXT [KIND]": for
    // a file that a save rewrites, the lines of the old file that the save
    // drops or changes and then what the check finds in the new one; for a
    // file left as it is, what the check finds in it.
    std::vector<std::string> warnings(bool rewritten);

  private:
    WriteGuard m_guard;
    std::string m_path;
    bool m_existed = false;
    Configuration m_config;
    TextEncoding m_originalEncoding{};
    ReaderFindings m_findings;
    std::optional<ConfigurationEditor> m_editor;
    std::vector<std::string> m_faultsBefore;
    std::string m_oldBytes;
    bool m_oldBytesRead = false;
    mutable std::optional<std::string> m_newText;
};
