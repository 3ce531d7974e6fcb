// The test window: its one button prints the sample envelope, with the message
// sequence of a press, and a failing print ends the program with its message.
#include "platform/WindowsApi.h"
#include "support/RecordingMessagePresenter.h"
#include "support/WinePrefixFixture.h"
#include "test_window/Form1.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

using testwindow::Form1;

namespace {

const QStringList onePress{QStringLiteral("Case Else; no return address."), QStringLiteral("Calling .PrintReport..."),
                           QStringLiteral("Addressee:  Orrin Vask\r\n123 Here Rd.\r\nNowheresville, AK 92901"),
                           QStringLiteral("NewEOF:  True"), QStringLiteral("Done calling .PrintReport!")};

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(workDir.isValid());
        previous = QDir::currentPath();
        QDir::setCurrent(workDir.path());
    }
    void TearDown() override { QDir::setCurrent(previous); }

    Form1::Options options(engine::PrintDestination destination)
    {
        Form1::Options o;
        o.api = prefix.api(presenter);
        o.destination = std::move(destination);
        o.onFatal = [this](const QString &message) { fatal << message; };
        return o;
    }

    testsupport::WinePrefixFixture prefix;
    std::shared_ptr<testsupport::RecordingMessagePresenter> presenter = std::make_shared<testsupport::RecordingMessagePresenter>();
    QStringList fatal;
    QTemporaryDir workDir;
    QString previous;
};

TEST_F(Form1Test, WindowAndButtonHaveTheirTwipSizes)
{
    Form1 window(options(engine::PrintDestination::defaultPrinter()));
    const double px = window.logicalDpiX() / 1440.0;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Form1"));
    EXPECT_EQ(window.width(), std::lround(4680 * px));
    EXPECT_EQ(window.cmdVeltrane()->geometry().left(), std::lround(90 * px));
    EXPECT_EQ(window.cmdVeltrane()->width(), std::lround(1245 * px));
    EXPECT_TRUE(window.cmdVeltrane()->text().isEmpty());
    EXPECT_EQ(window.findChildren<QWidget *>().size(), 1);
}

TEST_F(Form1Test, TwoPressesPrintTwoEnvelopesWithTheWholeSequenceEachTime)
{
    // No printer here (the test runs against no scheduler), so each envelope lands in a PDF of its own.
    Form1 window(options(engine::PrintDestination::defaultPrinter()));
    window.show();
    QTest::mouseClick(window.cmdVeltrane(), Qt::LeftButton);
    QTest::mouseClick(window.cmdVeltrane(), Qt::LeftButton);
    EXPECT_EQ(presenter->texts(), onePress + onePress);
    EXPECT_TRUE(fatal.isEmpty()) << qPrintable(fatal.join(QLatin1Char('\n')));
    EXPECT_EQ(QDir(workDir.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("Envelope-2.pdf"), QStringLiteral("Envelope.pdf")}));
}

TEST_F(Form1Test, AFailingPrintEndsTheProgramWithItsMessage)
{
    Form1 window(options(engine::PrintDestination::pdfFile(QStringLiteral("/no/such/folder/envelope.pdf"))));
    window.show();
    QTest::mouseClick(window.cmdVeltrane(), Qt::LeftButton);
    ASSERT_EQ(fatal.size(), 1);
    EXPECT_TRUE(fatal.front().contains(QLatin1String("/no/such/folder"))) << qPrintable(fatal.front());
    EXPECT_EQ(presenter->texts(), (QStringList{QStringLiteral("Case Else; no return address."), QStringLiteral("Calling .PrintReport...")}));
    EXPECT_TRUE(QDir(workDir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

} // namespace
