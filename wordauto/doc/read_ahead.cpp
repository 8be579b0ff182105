#include "wordauto/doc/read_ahead.h"

#include "wordauto/opc/package.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace wordauto::detail {

namespace {

// How many places past the caller's the workers may read: enough to keep them busy while it
// works on one document, few enough that the documents waiting take little memory.
std::size_t placesAhead(std::size_t workers) { return 2 * workers + 2; }

// What a worker reads at most: a list is far below. The documents held ahead then take little
// memory whatever the folder holds; a larger one is the open's to read.
constexpr opc::Limits kReadAheadLimits{16u << 20, 16u << 20, 16u << 20, 2000};

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

} // namespace

bool ReadAhead::FileIdentity::operator==(const FileIdentity& o) const
{
    return device == o.device && inode == o.inode && size == o.size && sameTime(modified, o.modified)
           && sameTime(changed, o.changed);
}

bool ReadAhead::identify(const std::string& path, FileIdentity& out)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    out = {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    return true;
}

unsigned ReadAhead::defaultWorkers()
{
    // One worker beside the caller gains nothing measurable and costs processor time: the
    // caller keeps catching it up. From three cores on, two or three keep ahead of it.
    const unsigned cores = std::thread::hardware_concurrency();
    return cores < 3 ? 0 : std::min(cores - 1, 3u);
}

ReadAhead::ReadAhead(std::vector<std::string> paths, unsigned workers)
{
    places_.resize(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i)
        places_[i].path = std::move(paths[i]);
    ahead_ = placesAhead(workers);
    try {
        for (unsigned i = 0; i < workers && i < places_.size(); ++i)
            workers_.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
        // Fewer threads than asked for, or none: the opens read what is left themselves.
    }
}

ReadAhead::~ReadAhead()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (auto& w : workers_)
        w.join();
}

void ReadAhead::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] {
            const std::size_t first = std::max(next_, cursor_);
            return stopping_ || (first < places_.size() && first < cursor_ + ahead_);
        });
        if (stopping_)
            return;
        next_ = std::max(next_, cursor_);
        const std::size_t index = next_++;
        Place& place = places_[index];
        place.state = State::Reading;
        Place done;
        done.path = place.path;
        lock.unlock();
        read(done);
        lock.lock();
        place.identity = done.identity;
        // A place the caller has passed meanwhile is of no use: its memory goes at once.
        place.model = index < cursor_ ? nullptr : std::move(done.model);
        place.state = done.state;
        changed_.notify_all();
    }
}

void ReadAhead::read(Place& place)
{
    FileIdentity before, after;
    place.state = State::Unsure; // until read whole
    if (!identify(place.path, before))
        return;
    try {
        // As a read-only open reads it, under the worker's tighter limits.
        auto model = DocumentModel::open(place.path, true, kReadAheadLimits);
        model->package().setLimits(opc::Limits{});
        place.model = std::move(model);
    } catch (...) {
        return; // damaged, or more than a worker reads: the open reads it and tells
    }
    // Changed while it was read: what was read may be of no version of the file.
    if (!identify(place.path, after) || !(before == after)) {
        place.model.reset();
        return;
    }
    place.identity = before;
    place.state = State::Ready;
}

bool ReadAhead::waitUntilRead(std::size_t place)
{
    std::unique_lock lock(mutex_);
    if (workers_.empty() || place >= places_.size())
        return false;
    changed_.wait(lock, [&] { return place < cursor_ || places_[place].state == State::Ready
                                     || places_[place].state == State::Unsure; });
    return place >= cursor_;
}

std::shared_ptr<DocumentModel> ReadAhead::take(const std::string& path)
{
    std::unique_lock lock(mutex_);
    std::size_t index = cursor_;
    while (index < places_.size() && places_[index].path != path)
        ++index;
    if (index == places_.size())
        return nullptr;
    for (std::size_t passed = cursor_; passed < index; ++passed)
        places_[passed].model.reset();
    cursor_ = index + 1;
    changed_.notify_all(); // the workers may go further now
    Place& place = places_[index];
    if (place.state == State::Waiting)
        return nullptr; // no worker got to it, and none will now that it is passed
    changed_.wait(lock, [&] { return place.state != State::Reading; });
    if (place.state == State::Unsure)
        return nullptr;
    auto model = std::move(place.model);
    const FileIdentity identity = place.identity;
    lock.unlock();
    FileIdentity now;
    if (!identify(path, now) || !(now == identity))
        return nullptr; // changed since: read as it is now
    return model;
}

} // namespace wordauto::detail
