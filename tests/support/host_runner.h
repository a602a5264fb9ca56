// What differs between the systems for the tests that run the program, or the real platform, on
// the host's own folders: where a scratch folder is made and how paths look, how the program is
// started, how a tree is listed and a file time set, what the system refuses, and how a folder is
// put in another's place. posix_host_runner.cpp and win32_host_runner.cpp implement it; the build
// takes the system's one. The suites written on it run natively, and in the MinGW build under
// Wine.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#ifdef _WIN32
#include "platform/win32/win32_platform.h"
#else
#include "platform/posix/posix_platform.h"
#endif

namespace murel {

#ifdef _WIN32
/// The platform that the program runs on here.
using HostPlatform = Win32Platform;
#else
using HostPlatform = PosixPlatform;
#endif

/// A new empty folder of the test's own in the system's temporary folder, removed with all it
/// holds when the object goes. Its name's length depends on the tag alone: the length of an
/// export root decides which targets take numbered names.
class HostFolder {
 public:
  explicit HostFolder(const std::string& tag);
  ~HostFolder();
  HostFolder(const HostFolder&) = delete;
  HostFolder& operator=(const HostFolder&) = delete;

  /// The folder's path in the system's form, with no separator at the end; empty if the folder
  /// could not be made.
  const std::string& path() const { return path_; }

  /// The path of `relative` ("/"-separated) in the folder, in the system's form.
  std::string At(const std::string& relative) const;

 private:
  std::string path_;
};

/// `relative` ("/"-separated) with the system's separators.
std::string HostForm(std::string relative);

/// A host path (absolute, in the system's form) as the program keeps paths: the same on Windows,
/// the Windows form on drive Z: on POSIX.
std::string ProgramPath(const std::string& hostPath);

/// Runs the built program in the folder `folder` with `arguments` (paths among them in the
/// system's form), its output dropped; its exit status, -1 if it did not end by itself (a signal,
/// or two minutes passed).
int RunMurel(const std::string& folder, const std::vector<std::string>& arguments);

/// Every file and folder under `folder` except `skip` (a path below it) and what lies in it,
/// relative to `folder`, "/"-separated, folders ending in "/", sorted bytewise. Names come as
/// the program made them, whatever bytes they hold.
std::vector<std::string> HostTree(const std::string& folder, const std::string& skip = "");

/// Makes the folder `path` and those above it that are missing; false if it is not there after.
bool MakeFolders(const std::string& path);

/// Writes `content` into the file `path` (replacing one there); false if it could not.
bool WriteHostFile(const std::string& path, const std::string& content);

/// Sets the last write time of the file `path` to `time` (seconds since 1970); false if it could
/// not.
bool SetHostFileTime(const std::string& path, std::time_t time);

/// The last write time of the file `path` in seconds since 1970; 0 if it cannot be read.
std::time_t HostFileTime(const std::string& path);

/// Names of targets below an export root that this system resolves to a place out of the root
/// (device names on Windows, at any level); none on POSIX.
std::vector<std::string> SystemRefusedTargets();

/// Moves the folder `folder` aside and puts the folder `other` at its path: on POSIX a link to
/// `other`, on Windows (where links need rights a user may lack) `other` itself, moved.
void PutFolderInPlace(const std::string& folder, const std::string& other);

/// Runs the program as RunMurel does while the system refuses to replace `target`, an existing
/// file whose new content is over 16 KiB, the only file of that size that the run writes:
/// Windows holds it open without sharing, POSIX lets the program write no file past 16 KiB.
int RunMurelRefusing(const std::string& target, const std::string& folder,
                     const std::vector<std::string>& arguments);

/// The entries of `section` of the profile file `file` as the host platform reads them for the
/// program (on Windows the system's own profile reading), at most `capacity` characters.
std::vector<std::string> HostProfileSection(const std::string& file, const std::string& section,
                                            std::size_t capacity);

}  // namespace murel
