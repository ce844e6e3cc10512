#pragma once

#include <string>

namespace vx {

// How the engine and the batch run speak to the person in front of the program. A front end
// implements it: the window with message boxes, the command line with lines on its streams,
// tests with scripted answers. The engine never waits on anything else.
class Prompt {
  public:
    virtual ~Prompt() = default;
    // A message box with an OK button; an empty title stands for the program's own.
    virtual void ShowMessage(const std::string& text, const std::string& title = {}) = 0;
    // A Yes/No box; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
};

// Shows nothing and answers No; for runs nobody watches.
class SilentPrompt : public Prompt {
  public:
    void ShowMessage(const std::string&, const std::string& = {}) override {}
    bool AskYesNo(const std::string&) override { return false; }
};

}  // namespace vx
