#include "grid/file/JournalPlace.h"

#include <unistd.h>

#include <cctype>

#include "grid/file/SavePlace.h"

namespace metrazil {

namespace {

constexpr char kInfix[] = ".journal-";
constexpr std::size_t kRandomPart = 6;

bool AllOf(const std::string& text, std::size_t from, std::size_t to, auto test) {
  for (std::size_t i = from; i < to; ++i) {
    if (!test(static_cast<unsigned char>(text[i]))) return false;
  }
  return from < to;
}

}  // namespace

bool IsJournalOf(const std::string& entry, const std::string& tableName) {
  const std::string prefix = "." + tableName + kInfix;
  if (entry.size() <= prefix.size() + 1 + kRandomPart || entry.compare(0, prefix.size(), prefix) != 0) return false;
  const std::size_t dash = entry.size() - kRandomPart - 1;
  return entry[dash] == '-' && AllOf(entry, prefix.size(), dash, [](int c) { return std::isdigit(c); }) &&
         AllOf(entry, dash + 1, entry.size(), [](int c) { return std::isalnum(c); });
}

std::string TableNameOf(const std::string& journalName) { return journalName.substr(1, journalName.rfind(kInfix) - 1); }

int CreateJournalFile(const std::string& target, std::string& path) {
  // A journal that cannot be locked could be taken by another instance as a crashed one's.
  return CreateLockedFile(DirectoryOf(target) + "/." + NameOf(target) + kInfix + std::to_string(::getpid()) + "-" +
                              std::string(kRandomPart, 'X'),
                          true, path);
}

}  // namespace metrazil
