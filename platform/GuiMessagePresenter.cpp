#include "platform/GuiMessagePresenter.h"

#include <QMessageBox>

namespace platform {

GuiMessagePresenter::GuiMessagePresenter(QString programTitle) : m_title(std::move(programTitle)) {}

void GuiMessagePresenter::show(const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption.isEmpty() ? m_title : caption, text, QMessageBox::Ok);
    box.exec();
}

} // namespace platform
