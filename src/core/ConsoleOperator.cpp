#include "core/ConsoleOperator.h"

#include <chrono>
#include <cstdio>

namespace mirabel {

namespace {

Answer SafeAnswer(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::OkCancel:
        case Buttons::YesNoCancel:
            return Answer::Cancel;
        case Buttons::YesNo:
            return Answer::No;
    }
    return Answer::Cancel;
}

// File lines reach the output at most this long after they were printed.
constexpr auto kFileLineDelay = std::chrono::milliseconds(100);

class ConsoleProgress : public ProgressWindow {
  public:
    // Without a verb nothing is shown.
    explicit ConsoleProgress(const char* verb) : verb_(verb) {}
    ~ConsoleProgress() override { std::fflush(stdout); }
    ConsoleProgress(const ConsoleProgress&) = delete;
    ConsoleProgress& operator=(const ConsoleProgress&) = delete;

    void SetStudyProgress(int current, int total) override {
        if (!verb_) return;
        std::printf("%s %d of %d studies\n", verb_, current, total);
        Flush();
    }
    // Small files go by the thousand a second, and a write a line would add a system call to
    // every file: the same lines go out together, a few times a second.
    void SetFileProgress(int current, int total) override {
        if (!verb_) return;
        std::printf("  %s %d of %d files\n", verb_, current, total);
        if (std::chrono::steady_clock::now() - lastFlush_ >= kFileLineDelay) Flush();
    }

  private:
    void Flush() {
        std::fflush(stdout);
        lastFlush_ = std::chrono::steady_clock::now();
    }

    const char* verb_;
    std::chrono::steady_clock::time_point lastFlush_ = std::chrono::steady_clock::now();
};

}  // namespace

void ConsoleOperator::PrintLine(const std::string& text) const {
    if (quiet_) return;
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

Answer ConsoleOperator::MessageBox(const std::string& text, Buttons buttons) {
    PrintLine(text);
    return SafeAnswer(buttons);
}

std::optional<std::string> ConsoleOperator::AskMediaLabel(const std::string& proposed) {
    PrintLine("Media label: " + proposed);
    return proposed;
}

Answer ConsoleOperator::AskToVerifyCopy(const std::string& text) {
    PrintLine(text);
    return Answer::Yes;
}

bool ConsoleOperator::AskForMedium(const std::string& text) {
    PrintLine(text);
    return false;
}

DeleteProblemAnswer ConsoleOperator::AskDeleteProblem(const std::string& studyName,
                                                      const std::string& examDate,
                                                      const std::string& problem, bool mayAccept) {
    (void)mayAccept;  // No either way
    PrintLine(DeleteProblemText(studyName, examDate) + " " + problem);
    return DeleteProblemAnswer::No;
}

std::unique_ptr<ProgressWindow> ConsoleOperator::OpenProgressWindow(bool deleting,
                                                                    std::function<void()>) {
    // A console has no Cancel: the operation runs to its end.
    return std::make_unique<ConsoleProgress>(quiet_     ? nullptr
                                             : deleting ? "Deleting"
                                                        : "Transferring");
}

bool ConsoleOperator::PumpEvents(int) {
    return true;
}

}  // namespace mirabel
