#include "web/thumbnail_batch.h"

#include <QFileInfo>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace shutterhand {

namespace {

// Indices of announced pictures, handed from the calling thread to the workers.
class JobQueue {
public:
    void push(qsizetype index)
    {
        {
            std::lock_guard lock(m_mutex);
            m_jobs.push_back(index);
        }
        m_ready.notify_one();
    }
    void close()
    {
        {
            std::lock_guard lock(m_mutex);
            m_closed = true;
        }
        m_ready.notify_all();
    }
    // The next index, or -1 once the queue is closed and empty.
    qsizetype pop()
    {
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [this] { return m_closed || !m_jobs.empty(); });
        if (m_jobs.empty())
            return -1;
        const qsizetype index = m_jobs.front();
        m_jobs.pop_front();
        return index;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<qsizetype> m_jobs;
    bool m_closed = false;
};

}  // namespace

QList<ThumbnailResult> MakeThumbnails(const QStringList& pictureFiles, bool force, const ThumbnailEvent& onCreate,
                                      int threads)
{
    // A plain vector: each worker writes only its own entries, and nothing resizes or shares it meanwhile.
    std::vector<ThumbnailResult> results(static_cast<std::size_t>(pictureFiles.size()));
    if (threads <= 0)
        threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    JobQueue queue;
    std::vector<std::thread> workers;
    for (int i = 0; i < threads; ++i) {
        workers.emplace_back([&] {
            for (qsizetype index = queue.pop(); index >= 0; index = queue.pop()) {
                results[static_cast<std::size_t>(index)]
                    = CreateThumbnailImage(pictureFiles[index], results[static_cast<std::size_t>(index)].target,
                                           ThumbnailBoxWidth, ThumbnailBoxHeight, ThumbnailBackground);
            }
        });
    }
    for (qsizetype i = 0; i < pictureFiles.size(); ++i) {
        const QString target = ThumbnailPath(pictureFiles[i]);
        results[static_cast<std::size_t>(i)].target = target;
        if (target == pictureFiles[i]) {
            results[static_cast<std::size_t>(i)].outcome = ThumbnailOutcome::OwnName;
        } else if (!force && ThumbnailPresent(target)) {
            results[static_cast<std::size_t>(i)].outcome = ThumbnailOutcome::Present;
        } else {
            if (onCreate)
                onCreate(pictureFiles[i]);
            queue.push(i);
        }
    }
    queue.close();
    for (std::thread& worker : workers)
        worker.join();
    return QList<ThumbnailResult>(results.begin(), results.end());
}

}  // namespace shutterhand
