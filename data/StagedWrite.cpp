#include "data/StagedWrite.h"

#include "data/WriteTarget.h"

#include <algorithm>
#include <cerrno>
#include <set>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

// What lies at a destination that the origin's rule allows: a file, or nothing yet.
bool Exists(const std::filesystem::path& destination)
{
  struct stat st {};
  return ::lstat(destination.c_str(), &st) == 0;
}

}  // namespace

// One staged file on its way: where it goes, and the old file's second name, kept in the
// private folder until every file has moved, so that a failure half-way can put it back.
struct StagedWrite::Move {
  std::filesystem::path staged;
  std::filesystem::path destination;
  std::filesystem::path kept;  // empty: nothing to put back (no old file, or no second name)
  bool existed = false;
};

StagedWrite::StagedWrite(const std::filesystem::path& target, writetarget::WriteOrigin origin)
    : m_Target(target), m_Origin(origin)
{
  const std::filesystem::path replaced = writetarget::ResolveTarget(m_Target, m_Origin);
  if (replaced.empty()) {
    errno = EEXIST;
    return;
  }
  // Beside the file the target names, so that every move is a rename on one file system.
  std::string pattern = writetarget::TemporaryPattern(writetarget::FolderOf(replaced));
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()))
    m_Folder = name.data();
}

StagedWrite::~StagedWrite()
{
  std::error_code ignored;
  if (IsOpen())
    std::filesystem::remove_all(m_Folder, ignored);
}

bool StagedWrite::Prepare(std::vector<Move>& moves) const
{
  const std::filesystem::path folder = writetarget::FolderOf(m_Target);
  std::error_code error;
  for (std::filesystem::directory_iterator it(m_Folder, error), end; !error && it != end; it.increment(error))
    moves.push_back({it->path(), writetarget::ResolveTarget(folder / it->path().filename(), m_Origin), {}, false});
  if (error)
    return false;
  // The target goes last: a reader looks for the data files through it.
  const auto target = std::find_if(moves.begin(), moves.end(), [&](const Move& m) { return m.staged == StagedPath(); });
  if (target == moves.end())
    return false;
  std::iter_swap(target, moves.end() - 1);
  for (size_t i = 0; i < moves.size(); ++i) {
    Move& move = moves[i];
    // A refused name is known before anything has moved.
    if (move.destination.empty() || !std::filesystem::is_regular_file(move.staged) ||
        !writetarget::SyncToDisk(move.staged))
      return false;
    move.existed = Exists(move.destination);
    // Only a file that is replaced before the target can need putting back.
    const std::filesystem::path kept = m_Folder / (".old" + std::to_string(i));
    if (move.existed && i + 1 < moves.size() && ::link(move.destination.c_str(), kept.c_str()) == 0)
      move.kept = kept;
  }
  return true;
}

bool StagedWrite::MoveAll(std::vector<Move>& moves) const
{
  for (size_t i = 0; i < moves.size(); ++i) {
    if (::rename(moves[i].staged.c_str(), moves[i].destination.c_str()) == 0)
      continue;
    // Back as it was: old files return, new names disappear.
    for (size_t k = i; k-- > 0;) {
      const Move& done = moves[k];
      if (!done.kept.empty())
        (void)::rename(done.kept.c_str(), done.destination.c_str());
      else if (!done.existed)
        (void)::unlink(done.destination.c_str());
    }
    return false;
  }
  return true;
}

bool StagedWrite::Commit()
{
  if (!IsOpen())
    return false;
  std::vector<Move> moves;
  if (!Prepare(moves) || !MoveAll(moves))
    return false;
  std::set<std::filesystem::path> folders;
  for (const Move& move : moves)
    folders.insert(writetarget::FolderOf(move.destination));
  return std::all_of(folders.begin(), folders.end(), writetarget::SyncToDisk);
}
