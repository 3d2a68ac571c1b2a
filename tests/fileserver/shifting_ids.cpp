// shifting_ids REAL MOUNTPOINT: a file server whose file ids change, for the tests.
//
// Mounts at MOUNTPOINT a view of the folder REAL that passes every operation through to it,
// but reports a file's id (st_ino, which Wine also gives out as the file index) as a file
// server gives it when it cannot store a file's id: a new one at every open of the name, the
// latest one for every query of the name's attributes. The kernel does not tell an fstat of a
// descriptor from an lstat of the path (neither carries the open), so both see the latest id:
// a file that somebody opened again since an open no longer shows that open's id, and a file
// written anew under the name by another program, behind the server's back, shows the id of
// the one it replaced.
//
// The kernel's own object for a file follows the real file (its device and inode), so locks
// taken through the mount (flock, fcntl), which the kernel keeps for a file system that does not
// take them itself, bind the real file, as a server's own locks do. Nothing is cached: the
// attributes and names are asked for again at every use, as another workstation may have changed
// them. Writes "mounted" on standard output once mounted; SIGTERM, SIGINT or the end of the
// process that started it unmounts. A test tool, never shipped.
#define FUSE_USE_VERSION 34
#include <dirent.h>
#include <fcntl.h>
#include <fuse_lowlevel.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// One file or folder as the kernel knows it: the real one behind it, and the name it was last
// looked up by (relative to the real folder; "." for the folder itself).
struct Node {
  dev_t device = 0;
  ino_t inode = 0;
  std::string path;
  std::uint64_t lookups = 0;
};

int g_real = -1;  // the real folder
Node g_root{.device = 0, .inode = 0, .path = ".", .lookups = 0};
std::map<std::pair<dev_t, ino_t>, std::unique_ptr<Node>> g_nodes;
// The id each name gives out now; ids never repeat within one mount.
std::map<std::string, std::uint64_t> g_ids;
std::uint64_t g_last_id = 1000;

Node& NodeOf(fuse_ino_t id) {
  return id == FUSE_ROOT_ID ? g_root : *reinterpret_cast<Node*>(static_cast<std::uintptr_t>(id));
}

std::string Join(const Node& parent, const char* name) {
  return parent.path == "." ? std::string(name) : parent.path + "/" + name;
}

std::uint64_t NewId(const std::string& path) {
  return g_ids[path] = ++g_last_id;
}

// A folder keeps its id: only files are given new ones.
void ShowId(const std::string& path, struct stat& status) {
  if (!S_ISREG(status.st_mode)) return;
  const auto known = g_ids.find(path);
  status.st_ino = known != g_ids.end() ? known->second : NewId(path);
}

// Looks the name up on the real folder and counts the kernel's reference to its node.
int Lookup(const std::string& path, fuse_entry_param& entry) {
  entry = {};
  if (fstatat(g_real, path.c_str(), &entry.attr, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  auto& node = g_nodes[{entry.attr.st_dev, entry.attr.st_ino}];
  if (!node)
    node.reset(new Node{
        .device = entry.attr.st_dev, .inode = entry.attr.st_ino, .path = {}, .lookups = 0});
  node->path = path;
  ++node->lookups;
  entry.ino = static_cast<fuse_ino_t>(reinterpret_cast<std::uintptr_t>(node.get()));
  ShowId(path, entry.attr);
  return 0;
}

void ReplyEntry(fuse_req_t request, const std::string& path) {
  fuse_entry_param entry;
  if (const int error = Lookup(path, entry)) {
    fuse_reply_err(request, error);
    return;
  }
  fuse_reply_entry(request, &entry);
}

void Forget(fuse_ino_t id, std::uint64_t count) {
  if (id == FUSE_ROOT_ID) return;
  Node& node = NodeOf(id);
  node.lookups -= count;
  if (node.lookups == 0) g_nodes.erase({node.device, node.inode});
}

void OnLookup(fuse_req_t request, fuse_ino_t parent, const char* name) {
  ReplyEntry(request, Join(NodeOf(parent), name));
}

void OnForget(fuse_req_t request, fuse_ino_t id, std::uint64_t count) {
  Forget(id, count);
  fuse_reply_none(request);
}

void OnForgetMulti(fuse_req_t request, std::size_t count, fuse_forget_data* forgets) {
  for (std::size_t i = 0; i < count; ++i) Forget(forgets[i].ino, forgets[i].nlookup);
  fuse_reply_none(request);
}

void OnGetattr(fuse_req_t request, fuse_ino_t id, fuse_file_info* file) {
  const Node& node = NodeOf(id);
  struct stat status {};
  const int done = file ? fstat(static_cast<int>(file->fh), &status)
                        : fstatat(g_real, node.path.c_str(), &status, AT_SYMLINK_NOFOLLOW);
  if (done != 0) {
    fuse_reply_err(request, errno);
    return;
  }
  ShowId(node.path, status);
  fuse_reply_attr(request, &status, 0);
}

void OnSetattr(fuse_req_t request, fuse_ino_t id, struct stat* wanted, int which,
               fuse_file_info* file) {
  const Node& node = NodeOf(id);
  const char* path = node.path.c_str();
  int done = 0;
  if (which & FUSE_SET_ATTR_MODE) done = fchmodat(g_real, path, wanted->st_mode, 0);
  if (done == 0 && (which & (FUSE_SET_ATTR_UID | FUSE_SET_ATTR_GID))) {
    done = fchownat(g_real, path, (which & FUSE_SET_ATTR_UID) ? wanted->st_uid : -1,
                    (which & FUSE_SET_ATTR_GID) ? wanted->st_gid : -1, AT_SYMLINK_NOFOLLOW);
  }
  if (done == 0 && (which & FUSE_SET_ATTR_SIZE)) {
    if (file) {
      done = ftruncate(static_cast<int>(file->fh), wanted->st_size);
    } else {
      const int fd = openat(g_real, path, O_WRONLY);
      done = fd < 0 ? -1 : ftruncate(fd, wanted->st_size);
      if (fd >= 0) close(fd);
    }
  }
  if (done == 0 && (which & (FUSE_SET_ATTR_ATIME | FUSE_SET_ATTR_MTIME))) {
    timespec times[2] = {{.tv_sec = 0, .tv_nsec = UTIME_OMIT},
                         {.tv_sec = 0, .tv_nsec = UTIME_OMIT}};
    if (which & FUSE_SET_ATTR_ATIME_NOW) {
      times[0].tv_nsec = UTIME_NOW;
    } else if (which & FUSE_SET_ATTR_ATIME) {
      times[0] = wanted->st_atim;
    }
    if (which & FUSE_SET_ATTR_MTIME_NOW) {
      times[1].tv_nsec = UTIME_NOW;
    } else if (which & FUSE_SET_ATTR_MTIME) {
      times[1] = wanted->st_mtim;
    }
    done = utimensat(g_real, path, times, AT_SYMLINK_NOFOLLOW);
  }
  if (done != 0) {
    fuse_reply_err(request, errno);
    return;
  }
  OnGetattr(request, id, file);
}

void OnMkdir(fuse_req_t request, fuse_ino_t parent, const char* name, mode_t mode) {
  const std::string path = Join(NodeOf(parent), name);
  if (mkdirat(g_real, path.c_str(), mode) != 0) {
    fuse_reply_err(request, errno);
    return;
  }
  ReplyEntry(request, path);
}

void Remove(fuse_req_t request, fuse_ino_t parent, const char* name, int flags) {
  const std::string path = Join(NodeOf(parent), name);
  fuse_reply_err(request, unlinkat(g_real, path.c_str(), flags) == 0 ? 0 : errno);
}

void OnUnlink(fuse_req_t request, fuse_ino_t parent, const char* name) {
  Remove(request, parent, name, 0);
}

void OnRmdir(fuse_req_t request, fuse_ino_t parent, const char* name) {
  Remove(request, parent, name, AT_REMOVEDIR);
}

void OnRename(fuse_req_t request, fuse_ino_t parent, const char* name, fuse_ino_t new_parent,
              const char* new_name, unsigned int flags) {
  const std::string from = Join(NodeOf(parent), name), to = Join(NodeOf(new_parent), new_name);
  const bool done = renameat2(g_real, from.c_str(), g_real, to.c_str(), flags) == 0;
  fuse_reply_err(request, done ? 0 : errno);
}

void Opened(fuse_req_t request, const std::string& path, int fd, fuse_file_info* file,
            bool created) {
  if (fd < 0) {
    fuse_reply_err(request, errno);
    return;
  }
  NewId(path);
  file->fh = static_cast<std::uint64_t>(fd);
  file->keep_cache = 0;  // what another workstation wrote since is read anew
  if (!created) {
    fuse_reply_open(request, file);
    return;
  }
  fuse_entry_param entry;
  if (const int error = Lookup(path, entry)) {
    close(fd);
    fuse_reply_err(request, error);
    return;
  }
  fuse_reply_create(request, &entry, file);
}

void OnCreate(fuse_req_t request, fuse_ino_t parent, const char* name, mode_t mode,
              fuse_file_info* file) {
  const std::string path = Join(NodeOf(parent), name);
  Opened(request, path, openat(g_real, path.c_str(), (file->flags | O_CREAT) & ~O_NOFOLLOW, mode),
         file, true);
}

void OnOpen(fuse_req_t request, fuse_ino_t id, fuse_file_info* file) {
  const std::string& path = NodeOf(id).path;
  Opened(request, path, openat(g_real, path.c_str(), file->flags & ~O_NOFOLLOW), file, false);
}

void OnRead(fuse_req_t request, fuse_ino_t, std::size_t size, off_t offset, fuse_file_info* file) {
  std::vector<char> buffer(size);
  const ssize_t got = pread(static_cast<int>(file->fh), buffer.data(), size, offset);
  if (got < 0) {
    fuse_reply_err(request, errno);
    return;
  }
  fuse_reply_buf(request, buffer.data(), static_cast<std::size_t>(got));
}

void OnWrite(fuse_req_t request, fuse_ino_t, const char* bytes, std::size_t size, off_t offset,
             fuse_file_info* file) {
  const ssize_t put = pwrite(static_cast<int>(file->fh), bytes, size, offset);
  if (put < 0) {
    fuse_reply_err(request, errno);
    return;
  }
  fuse_reply_write(request, static_cast<std::size_t>(put));
}

void OnFlush(fuse_req_t request, fuse_ino_t, fuse_file_info*) {
  fuse_reply_err(request, 0);
}

void OnRelease(fuse_req_t request, fuse_ino_t, fuse_file_info* file) {
  close(static_cast<int>(file->fh));
  fuse_reply_err(request, 0);
}

void OnFsync(fuse_req_t request, fuse_ino_t, int, fuse_file_info* file) {
  fuse_reply_err(request, fsync(static_cast<int>(file->fh)) == 0 ? 0 : errno);
}

// A folder being read: the real listing, and an entry that did not fit the last reply.
struct Listing {
  DIR* folder = nullptr;
  dirent* pending = nullptr;
  off_t offset = 0;
};

void OnOpendir(fuse_req_t request, fuse_ino_t id, fuse_file_info* file) {
  const int fd = openat(g_real, NodeOf(id).path.c_str(), O_RDONLY | O_DIRECTORY);
  DIR* folder = fd < 0 ? nullptr : fdopendir(fd);
  if (!folder) {
    if (fd >= 0) close(fd);
    fuse_reply_err(request, errno);
    return;
  }
  file->fh = reinterpret_cast<std::uintptr_t>(new Listing{.folder = folder});
  fuse_reply_open(request, file);
}

void OnReaddir(fuse_req_t request, fuse_ino_t, std::size_t size, off_t offset,
               fuse_file_info* file) {
  auto& listing = *reinterpret_cast<Listing*>(static_cast<std::uintptr_t>(file->fh));
  if (offset != listing.offset) {
    seekdir(listing.folder, offset);
    listing.pending = nullptr;
    listing.offset = offset;
  }
  std::vector<char> buffer(size);
  std::size_t used = 0;
  for (;;) {
    dirent* entry = listing.pending ? listing.pending : readdir(listing.folder);
    listing.pending = nullptr;
    if (!entry) break;
    struct stat status {};
    status.st_ino = entry->d_ino;
    status.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
    const std::size_t needed = fuse_add_direntry(request, buffer.data() + used, size - used,
                                                 entry->d_name, &status, entry->d_off);
    if (needed > size - used) {
      listing.pending = entry;
      break;
    }
    used += needed;
    listing.offset = entry->d_off;
  }
  fuse_reply_buf(request, buffer.data(), used);
}

void OnReleasedir(fuse_req_t request, fuse_ino_t, fuse_file_info* file) {
  auto* listing = reinterpret_cast<Listing*>(static_cast<std::uintptr_t>(file->fh));
  closedir(listing->folder);
  delete listing;
  fuse_reply_err(request, 0);
}

void OnStatfs(fuse_req_t request, fuse_ino_t) {
  struct statvfs status {};
  if (fstatvfs(g_real, &status) != 0) {
    fuse_reply_err(request, errno);
    return;
  }
  fuse_reply_statfs(request, &status);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s REAL MOUNTPOINT\n", argv[0]);
    return 2;
  }
  // A mount must not outlive the test that made it.
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() == 1) return 1;
  g_real = open(argv[1], O_RDONLY | O_DIRECTORY);
  if (g_real < 0) {
    std::perror(argv[1]);
    return 1;
  }
  fuse_lowlevel_ops operations{};
  operations.lookup = OnLookup;
  operations.forget = OnForget;
  operations.forget_multi = OnForgetMulti;
  operations.getattr = OnGetattr;
  operations.setattr = OnSetattr;
  operations.mkdir = OnMkdir;
  operations.unlink = OnUnlink;
  operations.rmdir = OnRmdir;
  operations.rename = OnRename;
  operations.create = OnCreate;
  operations.open = OnOpen;
  operations.read = OnRead;
  operations.write = OnWrite;
  operations.flush = OnFlush;
  operations.release = OnRelease;
  operations.fsync = OnFsync;
  operations.opendir = OnOpendir;
  operations.readdir = OnReaddir;
  operations.releasedir = OnReleasedir;
  operations.statfs = OnStatfs;
  char* arguments[] = {argv[0], const_cast<char*>("-o"),
                       const_cast<char*>("fsname=shifting_ids,subtype=shifting_ids")};
  fuse_args args = FUSE_ARGS_INIT(3, arguments);
  fuse_session* session = fuse_session_new(&args, &operations, sizeof(operations), nullptr);
  if (!session) return 1;
  int code = 1;
  if (fuse_set_signal_handlers(session) == 0) {
    if (fuse_session_mount(session, argv[2]) == 0) {
      std::printf("mounted\n");
      std::fflush(stdout);
      code = fuse_session_loop(session) == 0 ? 0 : 1;
      fuse_session_unmount(session);
    }
    fuse_remove_signal_handlers(session);
  }
  fuse_session_destroy(session);
  return code;
}
