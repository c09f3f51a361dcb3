// extracted_files.h - the files extracted into the temporary folder to be opened.
//
// The program that opened such a file may still read it, so it stays until all
// catalogs are cleared (Open All Catalogs, exit); then every recorded file is deleted
// without checks or messages.
#ifndef APP_MODEL_EXTRACTED_FILES_H
#define APP_MODEL_EXTRACTED_FILES_H

#include <cstdio>
#include <set>
#include <string>

namespace tavlor {

class ExtractedFiles {
public:
  // Records a full path; a path recorded before is kept once.
  void record(const std::string &path) { paths_.insert(path); }
  // Deletes every recorded file and forgets them.
  void deleteAll() {
    for (const std::string &path : paths_)
      std::remove(path.c_str());
    paths_.clear();
  }
  const std::set<std::string> &paths() const { return paths_; }

private:
  std::set<std::string> paths_;
};

} // namespace tavlor

#endif // APP_MODEL_EXTRACTED_FILES_H
