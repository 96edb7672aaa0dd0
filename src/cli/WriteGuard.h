#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "config/ConfigurationSniffer.h"
#include "platform/FileLock.h"

// What a writer of quarvel-cfg or the Ansible module is allowed, and how its
// front end names the options that allow more.
struct WritePolicy {
    std::chrono::milliseconds wait{10000}; // for another writer's lock
    bool discardRecovery = false;          // go on from a file an interrupted save left
    bool replaceForeign = false;           // replace a file that holds no configuration
    // The option that allows each, as the front end spells it.
    const char* discardRecoveryOption = "--discard-recovery";
    const char* replaceForeignOption = "--replace-foreign";
};

// Guards a file that is about to be replaced, for as long as the guard
// lives: takes the file's lock (another writer's change is then read before
// this one is made, never lost), refuses while a recovery copy of an
// interrupted save is there, and refuses to replace a file that holds no
// configuration. Each refusal names the option that overrides it.
class WriteGuard {
  public:
    // Locks path and checks for an interrupted save; false with the reason.
    bool begin(const std::string& path, const WritePolicy& policy, std::string& message);

    // The file's bytes as read under the lock, piece by piece.
    void feed(std::string_view bytes) { m_sniffer.feed(bytes); }
    // After the bytes were fed: false with the reason for a file that holds
    // no configuration.
    bool acceptsContent(std::string& message) const;
    bool foreignContent() const { return !m_sniffer.isConfiguration(); }

    // begin(), then reads the file's bytes (if there is a file) and checks
    // them: for writers that do not read the file for their own use.
    bool beginAndCheck(const std::string& path, const WritePolicy& policy, std::string& message);

  private:
    FileLock m_lock;
    ConfigurationSniffer m_sniffer;
    std::string m_path;
    WritePolicy m_policy;
};
