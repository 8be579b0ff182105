#pragma once

#include "wordauto/oxml/document_model.h"

#include <sys/stat.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace wordauto::detail {

// Documents a caller is about to open read-only, one after another: a few places ahead of it,
// worker threads read, parse and check each as a read-only open would, so that the open finds
// that work done. What an open takes is what it would have read itself: a file that changed
// after it was read, and one that could not be read (damaged, or larger than a list ever is),
// are left to the open, which reads them as they are and says what is wrong.
class ReadAhead {
public:
    // `paths` absolute, in the order they will be opened; `workers` 0: none run.
    ReadAhead(std::vector<std::string> paths, unsigned workers);
    ~ReadAhead(); // waits for the documents being read, not for the rest
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The document read for `path` at the first place from here that names it, the places
    // before it given up; nothing when no place from here names it, it could not be read, or
    // the file is no longer the one read.
    std::shared_ptr<DocumentModel> take(const std::string& path);

    // Waits until a worker has read the document at `place` (for tests: then a change to the
    // file is sure to come after the read). False when no worker will: none runs, or it is passed.
    bool waitUntilRead(std::size_t place);

    // Threads worth running beside the caller on this machine.
    static unsigned defaultWorkers();

private:
    struct FileIdentity {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
        bool operator==(const FileIdentity& o) const;
    };
    static bool identify(const std::string& path, FileIdentity& out);

    enum class State { Waiting, Reading, Ready, Unsure };
    struct Place {
        std::string path;
        State state = State::Waiting;
        FileIdentity identity;
        std::shared_ptr<DocumentModel> model;
    };

    void work();
    void read(Place& place);

    std::vector<Place> places_; // never resized once made: workers hold on to their place
    std::size_t ahead_ = 0;     // how far past the caller's place the workers may read
    std::size_t next_ = 0;   // the first place no worker has taken up
    std::size_t cursor_ = 0; // the first place the caller has not passed
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::thread> workers_;
};

} // namespace wordauto::detail
