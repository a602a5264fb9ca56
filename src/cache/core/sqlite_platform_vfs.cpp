#include "cache/core/sqlite_platform_vfs.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace murel {
namespace {

// Strings and blobs over this size are refused: no record of a cache database comes near it,
// and a damaged database cannot make SQLite allocate more.
constexpr int kMaxValueSize = 16 << 20;
// SQLite's memory, for every database of the process together: a few values of the largest size
// and the page cache, many times over.
constexpr sqlite3_int64 kMaxHeap = sqlite3_int64{256} << 20;

struct OpenFile {
  sqlite3_file base;  // first: SQLite sees the struct as an sqlite3_file
  ReadableFile* file;
};

ReadableFile& FileOf(sqlite3_file* file) { return *reinterpret_cast<OpenFile*>(file)->file; }

int Close(sqlite3_file* file) {
  delete reinterpret_cast<OpenFile*>(file)->file;
  return SQLITE_OK;
}

int Read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  int done = 0;
  while (done < amount) {
    const std::optional<std::size_t> got =
        FileOf(file).ReadAt(static_cast<std::uint64_t>(offset + done), bytes + done,
                            static_cast<std::size_t>(amount - done));
    if (!got) return SQLITE_IOERR_READ;
    if (*got == 0) break;
    done += static_cast<int>(*got);
  }
  if (done == amount) return SQLITE_OK;
  // SQLite wants the part past the end zeroed.
  std::memset(bytes + done, 0, static_cast<std::size_t>(amount - done));
  return SQLITE_IOERR_SHORT_READ;
}

int Write(sqlite3_file*, const void*, int, sqlite3_int64) { return SQLITE_READONLY; }
int Truncate(sqlite3_file*, sqlite3_int64) { return SQLITE_READONLY; }
int Sync(sqlite3_file*, int) { return SQLITE_OK; }

int FileSize(sqlite3_file* file, sqlite3_int64* size) {
  *size = static_cast<sqlite3_int64>(std::min<std::uint64_t>(FileOf(file).Facts().size, INT64_MAX));
  return SQLITE_OK;
}

int Lock(sqlite3_file*, int) { return SQLITE_OK; }
int CheckReservedLock(sqlite3_file*, int* reserved) {
  *reserved = 0;
  return SQLITE_OK;
}
int FileControl(sqlite3_file*, int, void*) { return SQLITE_NOTFOUND; }
int SectorSize(sqlite3_file*) { return 512; }
int DeviceCharacteristics(sqlite3_file*) { return SQLITE_IOCAP_IMMUTABLE; }

const sqlite3_io_methods kMethods = {1,
                                     Close,
                                     Read,
                                     Write,
                                     Truncate,
                                     Sync,
                                     FileSize,
                                     Lock,
                                     Lock,
                                     CheckReservedLock,
                                     FileControl,
                                     SectorSize,
                                     DeviceCharacteristics,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr};

// The database's file, open before SQLite asks for it; null once SQLite has it.
std::unique_ptr<ReadableFile>& PendingFile(sqlite3_vfs* vfs) {
  return *static_cast<std::unique_ptr<ReadableFile>*>(vfs->pAppData);
}

// Only the main database opens, once, as the file opened beforehand; a journal, a temporary or
// any other file does not.
int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
  file->pMethods = nullptr;
  if (name == nullptr || (flags & SQLITE_OPEN_MAIN_DB) == 0 ||
      (flags & SQLITE_OPEN_READWRITE) != 0) {
    return SQLITE_CANTOPEN;
  }
  std::unique_ptr<ReadableFile> opened = std::move(PendingFile(vfs));
  if (!opened) return SQLITE_CANTOPEN;
  reinterpret_cast<OpenFile*>(file)->file = opened.release();
  file->pMethods = &kMethods;
  if (outFlags != nullptr) *outFlags = SQLITE_OPEN_READONLY;
  return SQLITE_OK;
}

int Delete(sqlite3_vfs*, const char*, int) { return SQLITE_IOERR_DELETE; }

// No journal or other companion file is looked for.
int Access(sqlite3_vfs*, const char*, int, int* result) {
  *result = 0;
  return SQLITE_OK;
}

int FullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
  if (static_cast<int>(std::strlen(name)) >= size) return SQLITE_CANTOPEN;
  std::strcpy(out, name);
  return SQLITE_OK;
}

int Randomness(sqlite3_vfs*, int size, char* out) {
  std::memset(out, 0, static_cast<std::size_t>(size));
  return size;
}
int Sleep(sqlite3_vfs*, int microseconds) { return microseconds; }
int CurrentTime(sqlite3_vfs*, double* now) {
  *now = 2440587.5;  // the Unix epoch as a Julian day; the reader never asks for the time
  return SQLITE_OK;
}
int GetLastError(sqlite3_vfs*, int, char*) { return 0; }

}  // namespace

struct PlatformDatabase::Vfs {
  sqlite3_vfs vfs{};
  std::string name;
  std::unique_ptr<ReadableFile> pending;  ///< The database's file, until SQLite opens it.
  std::uint64_t ticksLeft = 0;  ///< Work left, in steps of kStepsPerTick virtual machine steps.
};

namespace {

// The work a database may cost, in SQLite's virtual machine steps: a fixed part and a part that
// grows with the file. Reading a real cache takes a small fraction of it; a hostile file built
// to make the queries quadratic (a table without its index, rows by the thousand) is stopped.
constexpr std::uint64_t kFixedSteps = 1000000;
constexpr std::uint64_t kStepsPerByte = 64;
constexpr int kStepsPerTick = 1000;

// Called every kStepsPerTick steps; a non-zero answer interrupts the statement.
int SpendTick(void* ticks) {
  auto& left = *static_cast<std::uint64_t*>(ticks);
  if (left == 0) return 1;
  --left;
  return 0;
}

}  // namespace

std::unique_ptr<PlatformDatabase> PlatformDatabase::Open(std::unique_ptr<ReadableFile> file,
                                                         const std::string& path) {
  if (!file) return nullptr;
  std::unique_ptr<PlatformDatabase> database(new PlatformDatabase());
  database->vfs_ = std::make_unique<Vfs>();
  // A VFS of its own per database, named after it, carries the open file to SQLite.
  Vfs& vfs = *database->vfs_;
  const std::uint64_t size = file->Facts().size;
  vfs.pending = std::move(file);
  vfs.name = "murel-" + std::to_string(reinterpret_cast<std::uintptr_t>(&vfs));
  vfs.vfs = {1,
             static_cast<int>(sizeof(OpenFile)),
             4096,
             nullptr,
             vfs.name.c_str(),
             &vfs.pending,
             murel::Open,
             Delete,
             Access,
             FullPathname,
             nullptr,
             nullptr,
             nullptr,
             nullptr,
             Randomness,
             Sleep,
             CurrentTime,
             GetLastError,
             nullptr,
             nullptr,
             nullptr,
             nullptr};
  if (sqlite3_vfs_register(&vfs.vfs, 0) != SQLITE_OK) return nullptr;
  if (sqlite3_open_v2(path.c_str(), &database->db_, SQLITE_OPEN_READONLY, vfs.name.c_str()) !=
      SQLITE_OK) {
    return nullptr;
  }
  sqlite3_limit(database->db_, SQLITE_LIMIT_LENGTH, kMaxValueSize);
  vfs.ticksLeft = (kFixedSteps + kStepsPerByte * std::min<std::uint64_t>(size, UINT64_MAX / 512)) /
                  kStepsPerTick;
  sqlite3_progress_handler(database->db_, kStepsPerTick, SpendTick, &vfs.ticksLeft);
  // Sorting in memory: no temporary file is ever wanted. The reader sorts keys only; the bound
  // on SQLite's whole heap stops anything else a damaged file could make it hold.
  sqlite3_exec(database->db_, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
  sqlite3_hard_heap_limit64(kMaxHeap);
  return database;
}

PlatformDatabase::~PlatformDatabase() {
  // A failed open still leaves a handle to close.
  sqlite3_close(db_);
  if (vfs_) sqlite3_vfs_unregister(&vfs_->vfs);
}

}  // namespace murel
