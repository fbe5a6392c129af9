// Native named blocks: POSIX shared memory objects "/<QUIB_SHM_NS>.<name>" (every '/' of the
// name replaced by '_'), sized in whole pages like a Windows mapping. The creator removes the
// name at close; processes that still have the block mapped keep it.
//
// A Windows mapping goes away with the last process that holds it, also one that was killed.
// A POSIX object would stay behind, so every holder keeps a shared lock on it while mapped
// (the kernel drops it when the process dies): an object that nobody holds is a leftover and
// is removed when it is found, so a restarted program can make its blocks again.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core_settings.h"
#include "mapping_table.h"
#include "shared_blocks.h"

namespace quib::shared_blocks {

namespace {

constexpr size_t kPageSize = 4096;

struct Mapping {
    size_t length;
    std::string object_name;
    bool creator;
    int fd = -1;  // open while mapped: it holds the holder's lock
};

std::string ObjectName(const std::string& name) {
    std::string object = "/" + settings::SharedBlockNamespace() + "." + name;
    for (size_t i = 1; i < object.size(); ++i) {
        if (object[i] == '/') object[i] = '_';
    }
    return object;
}

size_t WholePages(size_t size) {
    return (size + kPageSize - 1) / kPageSize * kPageSize;
}

int ErrnoCode() {
    return errno != 0 ? errno : kInvalidParameter;
}

// True when the object behind fd is sized (made) and no process holds it: its holders all
// died. An object still being made (size 0) is never a leftover.
bool IsLeftover(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_size <= 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return false;
    flock(fd, LOCK_UN);
    return true;
}

// Opens an existing object and takes a holder's lock; a leftover is removed (ENOENT).
int OpenExisting(const std::string& object, int* fd) {
    *fd = shm_open(object.c_str(), O_RDWR | O_CLOEXEC, 0);
    if (*fd < 0) return ErrnoCode();
    if (IsLeftover(*fd)) {
        shm_unlink(object.c_str());
        close(*fd);
        *fd = -1;
        return ENOENT;
    }
    flock(*fd, LOCK_SH);
    return 0;
}

// Opens the object for creation; *created tells whether this call made it.
int OpenForCreate(const std::string& object, size_t size, int* fd, bool* created) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        *fd = shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        *created = *fd >= 0;
        if (*created) {
            flock(*fd, LOCK_SH);  // before it has a size, so nobody takes it for a leftover
            if (ftruncate(*fd, static_cast<off_t>(WholePages(size))) != 0) {
                int code = ErrnoCode();
                close(*fd);
                shm_unlink(object.c_str());
                return code;
            }
            return 0;
        }
        if (errno != EEXIST) return ErrnoCode();
        int code = OpenExisting(object, fd);
        if (code != ENOENT) return code;  // held by a live process (0), or another failure
    }
    return EEXIST;
}

// Maps the whole object behind fd, which stays open (the caller keeps or closes it); 0 or an
// error code.
int MapWhole(int fd, void** address, size_t* length) {
    struct stat st;
    if (fstat(fd, &st) != 0) return ErrnoCode();
    if (st.st_size <= 0) return ENOENT;  // made but not yet sized by its creator
    *length = static_cast<size_t>(st.st_size);
    void* view = mmap(nullptr, *length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (view == MAP_FAILED) return ErrnoCode();
    *address = view;
    return 0;
}

using Mappings = MappingTable<Mapping>;

void Remember(void* address, Mapping mapping) {
    Mappings::Get().Put(address, std::move(mapping));
}

}  // namespace

int Create(SharedBlockDesc* desc) {
    std::string name;
    if (int code = CheckCreate(desc, &name)) return code;
    if (desc->size == 0) return kInvalidParameter;  // as a paging-file mapping of size 0
    const std::string object = ObjectName(name);
    int fd;
    bool created;
    if (int code = OpenForCreate(object, desc->size, &fd, &created)) return code;
    void* view = nullptr;
    size_t length = 0;
    int code = MapWhole(fd, &view, &length);
    if (code == 0 && length < desc->size) {
        munmap(view, length);
        code = kAlreadyExists;
    }
    if (code != 0) {
        if (created) shm_unlink(object.c_str());
        close(fd);
        return code;
    }
    std::memset(view, 0, desc->size);
    Remember(view, {length, object, created, fd});
    desc->address = view;
    return 0;
}

int Open(SharedBlockDesc* desc) {
    if (!desc) return kInvalidParameter;
    desc->address = nullptr;
    const std::string object = ObjectName(NameOf(desc));
    int fd = -1;
    if (int code = OpenExisting(object, &fd)) return code;
    void* view = nullptr;
    size_t length = 0;
    if (int code = MapWhole(fd, &view, &length)) {
        close(fd);
        return code;
    }
    Remember(view, {length, object, false, fd});
    desc->address = view;
    desc->size = static_cast<uint32_t>(length);
    return 0;
}

int Close(SharedBlockDesc* desc) {
    if (!desc || !desc->address) return 0;
    Mapping mapping;
    if (!Mappings::Get().Take(desc->address, &mapping)) return 0;
    munmap(desc->address, mapping.length);
    if (mapping.creator) shm_unlink(mapping.object_name.c_str());
    close(mapping.fd);
    desc->address = nullptr;
    return 0;
}

}  // namespace quib::shared_blocks
