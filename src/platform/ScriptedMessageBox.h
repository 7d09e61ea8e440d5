#pragma once

#include "platform/MessageBox.h"

#include <deque>
#include <string>
#include <vector>

namespace platform {

// A message box for tests: it records every box it is asked to show and answers the
// questions from answers queued in advance. A question with no queued answer is answered
// Cancel or No and counted, so a test can tell that it was not expected.
class CScriptedMessageBox final : public CMessageBox {
public:
    enum class Kind { Inform, OkCancel, YesNo };

    struct Shown {
        Kind kind;
        std::string text;
    };

    // Queues the answer to the next question: true for OK or Yes.
    void QueueAnswer(bool answer) { m_answers.push_back(answer); }

    const std::vector<Shown>& ShownBoxes() const { return m_shown; }
    int UnscriptedQuestions() const { return m_unscripted; }

    void Inform(std::string_view text) override;
    bool AskOkCancel(std::string_view text) override;
    bool AskYesNo(std::string_view text) override;

private:
    bool Answer(Kind kind, std::string_view text);

    std::deque<bool> m_answers;
    std::vector<Shown> m_shown;
    int m_unscripted = 0;
};

} // namespace platform
