#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "diff/TextPieces.h"

// A text that its writer pushes piece by piece into a sink (the formatter,
// a file reader), handed out piece by piece to a reader that pulls, as
// TextSource asks. The writer runs on a thread of its own and stays at most
// one part of 64 KiB ahead, so that little is held at any time.
class PulledText {
  public:
    // write pushes the text into the sink it is given; it stops when the
    // sink refuses (the reader has gone) and tells whether it wrote it all.
    using Writer = std::function<bool(const TextSink& sink)>;

    explicit PulledText(Writer write);
    // Stops the writer, should it still be writing, and waits for it.
    ~PulledText();
    PulledText(const PulledText&) = delete;
    PulledText& operator=(const PulledText&) = delete;

    // The next piece, valid until the next call; false at the end.
    bool read(std::string_view& piece);
    TextSource source();

    // Whether the writer has given up on its own (a file error, say); a
    // writer stopped because the reader has gone has not.
    bool failed() const;

  private:
    bool take(std::string_view piece);

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_pieces; // written, not read yet
    std::string m_current;            // the piece the reader holds
    std::string m_spare;              // a read piece's storage, for the next
    bool m_written = false;           // the writer has returned
    bool m_complete = false;
    bool m_stopped = false; // the reader has gone
    std::thread m_thread;
};
