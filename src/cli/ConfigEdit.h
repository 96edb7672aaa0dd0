#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/WriteGuard.h"
#include "config/Configuration.h"
#include "config/ReaderFindings.h"
#include "platform/SaveFile.h"

// A configuration file opened for a change, as `quarvel-cfg set` and the
// Ansible module make it: the record as loaded, a copy that takes the
// changes, and the decision whether anything changed. Something changed when
// a save of the copy writes other bytes than a save of the file as loaded
// (or the file is not there yet): a file whose values stay as they are is
// not rewritten, even when a save would drop its comments.
class ConfigEdit {
  public:
    // Guards path for the change (WriteGuard: its lock, an interrupted
    // save, a file that holds no configuration), then loads it. With
    // createMissing, a file that is not there starts from the defaults;
    // otherwise, and for any other failure, false with the message.
    bool open(const std::string& path, bool createMissing, const WritePolicy& policy, std::string& message);
    // The same for a text already read (standard input).
    void openText(std::string_view bytes);

    // The copy to change.
    Configuration& result() { return m_result; }
    const Configuration& result() const { return m_result; }

    bool existed() const { return m_existed; }
    const Configuration& original() const { return m_original; }
    // The file held something else than a configuration (and the policy
    // allowed replacing it): its content is nobody's business here.
    bool foreign() const { return m_guard.foreignContent(); }
    TextEncoding originalEncoding() const { return m_original.Encoding; }
    bool changed() const;
    // What a save writes: the copy's file text.
    const std::string& newText() const;
    // The file's bytes as they are ("" for a file not there).
    const std::string& oldText();

    // Saves the copy as the editor saves (temporary file, backup, rename).
    // message is the writer's; backupName the file the old one is kept as,
    // "" when none was made.
    bool save(std::string& message, std::string& backupName, const SaveOptions& options = {}) const;

    // The check's warnings as texts, "FILE:LINE: warning: TEXT [KIND]": for
    // a file that a save rewrites, the lines of the old file that the save
    // drops or changes and then what the check finds in the new one; for a
    // file left as it is, what the check finds in it.
    std::vector<std::string> warnings(bool rewritten);

  private:
    void copyToResult();

    WriteGuard m_guard;
    std::string m_path;
    bool m_existed = false;
    bool m_fromText = false;
    Configuration m_original;
    Configuration m_result;
    ReaderFindings m_findings;
    std::string m_originalText; // a save of the file as loaded
    std::string m_oldBytes;
    bool m_oldBytesRead = false;
    mutable std::string m_newText;
};
