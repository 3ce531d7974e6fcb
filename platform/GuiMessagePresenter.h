#pragma once

#include "platform/MessagePresenter.h"

namespace platform {

// A modal QMessageBox with only an OK button and no icon. Needs a QApplication.
class GuiMessagePresenter final : public MessagePresenter {
public:
    explicit GuiMessagePresenter(QString programTitle);
    using MessagePresenter::show;
    void show(const QString &text, const QString &caption) override;

private:
    QString m_title;
};

} // namespace platform
