#pragma once

#include <atomic>
#include <functional>

// How a long engine job reports progress and is told to pause or stop. The
// flags are set by the user-interface thread (or a test) and polled by the
// job between words and entries; progress is called on the job's thread.
class JobControl
{
public:
    using ProgressFn = std::function<void(int position)>;

    explicit JobControl(ProgressFn progress = {}) : m_progress(std::move(progress)) {}

    void setPaused(bool on) { m_paused.store(on); }
    void abort() { m_aborted.store(true); }
    void reset()
    {
        m_paused.store(false);
        m_aborted.store(false);
    }

    [[nodiscard]] bool isPaused() const { return m_paused.load(); }
    [[nodiscard]] bool isAborted() const { return m_aborted.load(); }

    void report(int position) const
    {
        if (m_progress)
            m_progress(position);
    }

    // Waits while paused, looking again every pauseNapMs; returns true when
    // the job is to stop. stopOnAbort lets an abort end the wait at once.
    bool waitWhilePaused(bool stopOnAbort = true) const;

    static constexpr int PauseNapMs = 1000;

private:
    ProgressFn m_progress;
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_aborted{false};
};
