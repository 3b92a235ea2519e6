#pragma once
// Everything the engine asks of the person at the desk goes through this one interface:
// message boxes, questions, the media-label prompt, the deletion-problem prompt, the medium
// prompt, the progress window and the event pump.
// The windows install a real implementation at start-up, tests a scripted one, and the
// headless mode a console one. The engine never includes window code.
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace mirabel {

enum class Answer { Ok, Cancel, Yes, No };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };

// The answers to a study that cannot be deleted cleanly ("Do you still wish to set the study as
// archived?"), valued as the prompt's results.
enum class DeleteProblemAnswer { Yes = 1, YesToAll = 2, No = 3, NoToAll = 4, Cancel = 5 };

// The first line of the deletion-problem prompt.
inline std::string DeleteProblemText(const std::string& studyName, const std::string& examDate) {
    return "There was a problem deleting study for " + studyName + " on " + examDate + ".";
}

// The modeless progress window of a long operation (an archive run or a deletion pass).
class ProgressWindow {
  public:
    virtual ~ProgressWindow() = default;
    // Bars and texts: "Transferring %d of %d studies" / "... files", or "Deleting ..." forms.
    virtual void SetStudyProgress(int current, int total) = 0;
    virtual void SetFileProgress(int current, int total) = 0;
    // A line under the bars that says what the operation waits for ("Waiting to retry ...");
    // an empty text takes it away.
    virtual void SetWaitText(const std::string& text) { (void)text; }
};

class Operator {
  public:
    virtual ~Operator() = default;

    // A modal message box; buttons Ok gives a plain message, the others a question.
    virtual Answer MessageBox(const std::string& text, Buttons buttons = Buttons::Ok) = 0;
    // Whether a plain message holds the operation until someone answers it (a window's box);
    // a console prints it and goes on.
    virtual bool MessagesWaitForAnswer() const { return true; }

    // The "Enter Label" prompt for a medium, showing the proposed label;
    // the typed label on OK, nullopt on Cancel.
    [[nodiscard]] virtual std::optional<std::string> AskMediaLabel(const std::string& proposed) = 0;

    // The question before a study's copy on removable media is checked (Yes: check, No: delete
    // without checking, Cancel: stop). A Yes/No/Cancel message box unless overridden.
    virtual Answer AskToVerifyCopy(const std::string& text) {
        return MessageBox(text, Buttons::YesNoCancel);
    }

    // The medium prompt of the copy check ("Archive Verify", OK and Cancel): true when the
    // operator says the medium is in, false on Cancel.
    virtual bool AskForMedium(const std::string& text) = 0;

    // The deletion-problem prompt for one study ("There was a problem deleting study for
    // <name> on <date>."), naming the problem itself (the file and what is wrong with it), so
    // that the operator knows what the answer accepts. Without mayAccept the study cannot go
    // whatever is answered (a file its copy lacks): the prompt offers only No, No To All and
    // Cancel.
    virtual DeleteProblemAnswer AskDeleteProblem(const std::string& studyName,
                                                 const std::string& examDate,
                                                 const std::string& problem,
                                                 bool mayAccept = true) = 0;

    // Opens the progress window ("Archiving Studies"); deleting switches its texts. Its Cancel
    // calls cancel, which stops the operation that opened it.
    virtual std::unique_ptr<ProgressWindow> OpenProgressWindow(bool deleting,
                                                               std::function<void()> cancel) = 0;

    // Dispatches at most maxEvents waiting events; returns false when the program was asked
    // to quit (the request is kept so that the main loop still ends after the operation).
    [[nodiscard]] virtual bool PumpEvents(int maxEvents) = 0;
};

// The installed operator; a console one that answers every question with its safe choice
// until something else is installed.
Operator& TheOperator();
// Installs an operator and returns the previous one.
std::unique_ptr<Operator> InstallOperator(std::unique_ptr<Operator> op);

}  // namespace mirabel
