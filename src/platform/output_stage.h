#pragma once

#include <string>
#include <vector>

// Outputs that replace older ones only when they are complete. A job writes every output
// into a stage: a private folder (".vxtranslate-XXXXXX") made inside the output folder, so
// that moving a file out of it never crosses file systems. Only when the whole job has
// succeeded does Commit move the files over their final names, after flushing each to disk,
// and remove the older files the new set does not renew. A job that fails, is refused or is
// cut short leaves the folder as it found it.
//
// A commit first writes a journal of what it will do. A run killed part way through the
// moves leaves the journal; the next job into that folder finishes the moves (the new set
// was complete), where a stage without a journal is only removed (the old set stands).
namespace vx {

class OutputStage {
  public:
    OutputStage() = default;
    ~OutputStage() { Abandon(); }
    OutputStage(const OutputStage&) = delete;
    OutputStage& operator=(const OutputStage&) = delete;

    // Makes the stage inside `folder`, after clearing what killed runs left in that folder
    // (the first time this process writes there). False, with the reason, when the stage
    // cannot be made.
    bool Open(const std::string& folder, std::string& error);
    bool IsOpen() const { return !path_.empty(); }
    // Where the job writes its outputs, under their final file names.
    const std::string& Path() const { return path_; }
    // The folder the outputs go to.
    const std::string& Folder() const { return folder_; }
    // Where `name` is written in the stage.
    std::string PathOf(const std::string& name) const;

    // An older output that the new set replaces: removed at the commit unless a new file of
    // the same path replaces it anyway. May be called before Open.
    void Retire(const std::string& path);

    // Moves every file of the stage to the output folder and removes the retired files. False
    // with the reason when the files could not be flushed (the stage is then abandoned and
    // the folder is unchanged) or a move failed (the reason then says which files are new
    // and which are old).
    bool Commit(std::string& error);
    // Removes the stage and everything in it; the output folder is untouched.
    void Abandon();

    // A message with every path inside the stage replaced by the final path it stands for.
    std::string InFinalNames(std::string text) const;

  private:
    // Removes the stage folder; the retired files stay listed.
    void DropStage();
    void DropStageLocked();  // the same, for a caller that holds the stages' lock

    std::string folder_;
    std::string path_;
    int lock_ = -1;  // the stage folder, locked for as long as the stage lives
    std::vector<std::string> retired_;
};

// Clears stages that killed runs of this program left in `folder`: a committed one is
// finished, any other removed. Only folders of our own pattern that no live process holds
// and that are older than this run are touched.
void RecoverStages(const std::string& folder);

// For a process ending on a signal: removes every open stage and keeps any new commit from
// starting. Commits already moving files finish first. Never returns the lock it takes.
void AbandonAllStagesForExit();

// The prefix every stage folder's name starts with.
extern const char* const kStagePrefix;

}  // namespace vx
