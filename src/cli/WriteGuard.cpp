#include "cli/WriteGuard.h"

#include "platform/InterruptedSave.h"
#include "platform/RegularFile.h"

#include <cerrno>

bool WriteGuard::begin(const std::string& path, const WritePolicy& policy, std::string& message)
{
    m_path = path;
    m_policy = policy;
    m_sniffer = ConfigurationSniffer();
    if (!m_lock.acquire(path, policy.wait, message))
        return false;
    const std::string note = interruptedSaveNote(path);
    if (note.empty())
        return true;
    if (!policy.discardRecovery) {
        message = note +
                  " Nothing was written: compare the file with that copy, put back what is needed, then "
                  "run again with " +
                  policy.discardRecoveryOption + " to go on from the file as it is.";
        return false;
    }
    return discardInterruptedSave(path, message);
}

bool WriteGuard::acceptsContent(std::string& message) const
{
    if (m_sniffer.isConfiguration() || m_policy.replaceForeign)
        return true;
    message = m_path +
              " holds no configuration of the print server (none of its lines is a section such as "
              "[[SETTINGS]] or [[[DICOM]]]). Nothing was written; " +
              m_policy.replaceForeignOption + " replaces it all the same.";
    return false;
}

bool WriteGuard::beginAndCheck(const std::string& path, const WritePolicy& policy, std::string& message)
{
    if (!begin(path, policy, message))
        return false;
    if (policy.replaceForeign)
        return true;
    std::string readMessage;
    // A file that is not there, or one that cannot be read, is the writer's
    // to report.
    if (!readRegularFile(path, readMessage, 64 * 1024, [this](std::string_view chunk) { feed(chunk); }))
        return true;
    return acceptsContent(message);
}
