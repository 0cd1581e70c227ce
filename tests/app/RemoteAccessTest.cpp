// SPDX-License-Identifier: GPL-3.0-or-later
// Remote access in the administration window on exam day: uploads are listed in the upload
// log while nobody clicks, the status line says what is served, the window asks before it
// ends while clients are connected, and it never serves a home folder nor hides why the port
// cannot be had; the keys go to students only when the teacher ticks them for practice.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCheckBox>
#include <QLabel>
#include <atomic>
#include <filesystem>
#include <thread>

#include "GuiTestSupport.h"
#include "app/OrvaneDlg.h"
#include "common/ExamFolders.h"
#include "exam/WithoutKeys.h"
#include "server/TCPServer.h"
#include "support/LoopbackClient.h"

namespace orvane {
namespace {

using test::ModalAnswers;

constexpr int kClass = 30;

// A window opened by "ucitel" over a class of 30 students, its remote access on a free port.
class RemoteAccess : public test::GuiTest {
protected:
    void SetUp() override {
        std::vector<test::Account> accounts{{u"ucitel", u"Ján Učiteľ", u"tajne", true}};
        for (int student = 1; student <= kClass; ++student) {
            const std::u16string login = u"ziak" + QString::number(student).toStdU16String();
            accounts.push_back({login, u"Žiak", u"h", false});
        }
        test::WriteUsersFile(accounts);
        window = std::make_unique<COrvaneDlg>();
        shown = window.get();
        {
            ModalAnswers answers;
            test::ExpectLogin(answers, "ucitel", "tajne");
            ASSERT_EQ(window->Open(), COrvaneDlg::OpenResult::Accepted);
        }
        port = test::FreePort();
        window->UsePort(port);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override {
        if (window != nullptr) {
            window->done(QDialog::Rejected);
        }
        window.reset();
    }
    void ClickButton(const char* name) {
        QTest::mouseClick(window->findChild<QPushButton*>(name), Qt::LeftButton);
    }
    QString Log() { return window->findChild<QPlainTextEdit*>("uploadLog")->toPlainText(); }
    QString Status() { return window->findChild<QLabel*>("statusLine")->text(); }

    std::unique_ptr<COrvaneDlg> window;
    std::uint16_t port = 0;
};

// Every student uploads at once; the window only runs its event loop. Each upload is
// confirmed (the session ends) within 100 ms of its last byte and has its line in the log.
TEST_F(RemoteAccess, AClassUploadsWhileNobodyClicksAndEveryUploadIsLogged) {
    ClickButton("startButton");
    ASSERT_TRUE(test::CanConnect(port));
    EXPECT_TRUE(Status().startsWith("Vzdialený prístup: zapnutý na ")) << Status().toStdString();
    EXPECT_TRUE(Status().contains(QStringLiteral(", port %1 · ").arg(port)));
    EXPECT_TRUE(Status().endsWith("priečinok: " + QDir::currentPath()));
    std::atomic<int> done{0};
    std::vector<std::chrono::milliseconds> waited(kClass);
    std::vector<std::thread> students;
    for (int student = 1; student <= kClass; ++student) {
        students.emplace_back([&, student] {
            test::LoopbackClient client(port);
            client.ReceiveUntil();
            client.Ask("AUTH ziak" + std::to_string(student) + " h\r\n");
            client.Ask("SAVE testdb_bla\r\n");
            const auto sent = std::chrono::steady_clock::now();
            client.Send(std::string(48213, 'x') + "#File sent successfully.\r\n");
            EXPECT_TRUE(client.IsClosedByServer());
            waited[student - 1] = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - sent);
            ++done;
        });
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return done == kClass; }, 20000));
    for (std::thread& student : students) {
        student.join();
    }
    for (const auto wait : waited) {
        EXPECT_LT(wait.count(), 100);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return Log().count('\n') == kClass - 1; }, 2000));
    const QStringList lines = Log().split('\n');
    ASSERT_EQ(lines.size(), kClass);
    const QRegularExpression line(
        R"(^\d\d:\d\d:\d\d  ziak\d+  testdb_bla  48 213 B  File has been saved$)");
    for (const QString& logged : lines) {
        EXPECT_TRUE(line.match(logged).hasMatch()) << logged.toStdString();
    }
    ClickButton("stopButton");
    EXPECT_FALSE(test::CanConnect(port));
}

// An upload that cannot be written has its marked line with the cause in Slovak.
TEST_F(RemoteAccess, AFailedUploadIsMarkedInTheLogWithItsCause) {
    ClickButton("startButton");
    test::UnderFileSizeLimit(16, [&] {
        test::LoopbackClient client(port);
        client.ReceiveUntil();
        client.Ask("AUTH ziak1 h\r\n");
        client.Ask("SAVE testdb_bla\r\n");
        client.Send(std::string(4096, 'x') + "#File sent successfully.\r\n");
        EXPECT_TRUE(client.IsClosedByServer());
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Log().isEmpty(); }, 2000));
    EXPECT_TRUE(
        QRegularExpression(R"(^\d\d:\d\d:\d\d  ziak1  testdb_bla  \d+ B  — CHYBA: súbor sa )"
                           R"(nepodarilo zapísať: súbor by bol väčší, ako je dovolené$)")
            .match(Log())
            .hasMatch())
        << Log().toStdString();
}

// Esc and the close box ask while a client is connected; "Nie" keeps serving, and without
// remote access and clients the window ends at once.
TEST_F(RemoteAccess, EscWithAConnectedClientAsksAndNieKeepsServing) {
    ClickButton("startButton");
    auto client = std::make_unique<test::LoopbackClient>(port);
    client->ReceiveUntil();
    ASSERT_TRUE(QTest::qWaitFor([] { return RunningSessions() == 1; }, 2000));
    const std::vector<std::function<void()>> ends{
        [&] { QTest::keyClick(window.get(), Qt::Key_Escape); }, [&] { window->close(); }};
    for (const auto& end : ends) {
        ModalAnswers answers;
        answers.Expect<QMessageBox>([&](QMessageBox* box) {
            EXPECT_EQ(box->text(), QStringLiteral("Ukončiť Orvane? Vzdialený prístup je zapnutý "
                                                  "a pripojený je 1 klient."));
            EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
            box->button(QMessageBox::No)->click();
        });
        end();
        EXPECT_TRUE(window->isVisible());
    }
    EXPECT_TRUE(test::CanConnect(port) && RunningSessions() >= 1) << "still serving";
    ClickButton("stopButton");
    client.reset();
    ASSERT_TRUE(QTest::qWaitFor([] { return RunningSessions() == 0; }, 2000));
    QTest::keyClick(window.get(), Qt::Key_Escape);  // nothing served: no question
    EXPECT_FALSE(window->isVisible());
}

// A student downloads the kept test without its keys, unless "Posielať študentom aj kľúče" was
// ticked before remote access was switched on.
TEST_F(RemoteAccess, TheKeysBoxServesKeysOnlyWhenTicked) {
    const auto kept =
        test::MakeTest(1, u"ziak1", true,
                       {std::make_shared<CPNQuestion>(2, u"Živosť", u"Ktoré?", 2,
                                                      std::vector<std::u16string>{u"A", u"B"},
                                                      std::vector<bool>{true, false}, nullptr)});
    ASSERT_TRUE(MakePrivateFolder(KeptTestsFolderOf(u"ziak1")).IsOk());
    test::WriteTestFile("tests/ziak1/20260101T080000.000000Z-test1", kept);
    const auto bytes = [](const std::shared_ptr<CPNTest>& test) {
        test::WriteTestFile(".bytes", test);
        const std::vector<std::uint8_t> read = test::ReadBytes(".bytes");
        std::filesystem::remove(".bytes");
        return std::string(read.begin(), read.end());
    };
    auto* keys = window->findChild<QCheckBox*>("serveKeys");
    EXPECT_FALSE(keys->isChecked());  // off unless the teacher ticks it
    for (const auto& [ticked, sent] :
         {std::pair{false, bytes(WithoutKeys(*kept))}, std::pair{true, bytes(kept)}}) {
        keys->setChecked(ticked);
        ClickButton("startButton");
        test::LoopbackClient client(port);
        client.ReceiveUntil();
        client.Ask("AUTH ziak1 h\r\n");
        EXPECT_EQ(client.Ask("FILE testdb\r\n"), "#You are allowed to download.\r\n");
        client.Send("#\r\n");
        EXPECT_TRUE(client.ReceiveUntil("#File sent successfully.\r\n") ==
                    sent + "#File sent successfully.\r\n")
            << "keys ticked: " << ticked;
        ClickButton("stopButton");
    }
}

// Started in a home folder, remote access stays off and the window says why; a port that
// another program holds names the likely one.
TEST_F(RemoteAccess, AHomeFolderOrATakenPortIsRefusedWithItsReason) {
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(QDir::currentPath()));
    {
        ModalAnswers answers;
        answers.Expect<QMessageBox>([](QMessageBox* box) {
            EXPECT_TRUE(box->text().startsWith(
                "Vzdialený prístup sa nezapol: Orvane pracuje v priečinku " + QDir::currentPath() +
                ", ktorý je domovským priečinkom alebo koreňom systému."));
            box->button(QMessageBox::Ok)->click();
        });
        ClickButton("startButton");
    }
    qputenv("HOME", home);
    EXPECT_FALSE(test::CanConnect(port));
    EXPECT_TRUE(Status().startsWith("Vzdialený prístup: vypnutý"));

    const int taken = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ASSERT_EQ(::bind(taken, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(taken, 1), 0);
    {
        ModalAnswers answers;
        answers.Expect<QMessageBox>([this](QMessageBox* box) {
            EXPECT_TRUE(box->text().startsWith(
                QStringLiteral("Vzdialený prístup sa nezapol: port %1 už používa iný program. "
                               "Najčastejšie je to služba orvane-server")
                    .arg(port)));
            box->button(QMessageBox::Ok)->click();
        });
        ClickButton("startButton");
    }
    ::close(taken);
    EXPECT_FALSE(IsListening());
}

}  // namespace
}  // namespace orvane
