#pragma once

#include "gui/widgets/MessageBoxes.h"

#include <QString>
#include <vector>

namespace quillory::test {

// Stands in for the message boxes while it lives: records every box shown and
// answers each with `Answer`.
struct BoxRecorder {
    struct Box {
        BoxKind Kind;
        QString Title;
        QString Text;
    };
    std::vector<Box> Boxes;
    bool Answer = true;

    BoxRecorder() {
        SetBoxPresenter([this](QWidget*, BoxKind kind, const QString& title, const QString& text) {
            Boxes.push_back({kind, title, text});
            return Answer;
        });
    }
    ~BoxRecorder() { SetBoxPresenter({}); }
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;
};

} // namespace quillory::test
