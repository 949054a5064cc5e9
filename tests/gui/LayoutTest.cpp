// What the window's states show and enable, also to assistive technologies, and the mail link;
// every phase laid out under long and right-to-left languages.
#include <gtest/gtest.h>

#include <QDir>
#include <QQuickItem>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTranslator>
#include <QUrl>

#include "CaptureDetails.h"
#include "GuiSession.h"
#include "MailTo.h"
#include "ReviewModel.h"
#include "core/workspace/SharedValues.h"
#include "sample_target/SampleInstall.h"
#include "support/LogServer.h"
#include "support/Sandbox.h"

using tarvix::app::ReviewModel;
using tarvix::test::GuiSession;
using tarvix::test::HeldServer;
using tarvix::test::LogServer;

TEST(MailTo, TheLinkCarriesTheWholeTextsEncoded)
{
    // Query delimiters, Thai and emoji in the description survive the link whole.
    const QString description = QString::fromUtf8("a&b=c+d#e%f ?/:@ \u0E01\u0E33 \U0001F468\u200D\U0001F469\nend");
    const auto url = tarvix::app::mailToURL("help@example.org", "ID", description, "anne+x@example.org");
    ASSERT_TRUE(url.ok());
    // Nothing but unreserved characters and escapes in either field.
    const QString link = QString::fromLatin1(url->toEncoded());
    const auto fields =
        QRegularExpression("^mailto:help@example.org\\?subject=([\\w.~%-]*)&body=([\\w.~%-]*)$").match(link);
    ASSERT_TRUE(fields.hasMatch()) << link.toStdString();
    EXPECT_EQ(QUrl::fromPercentEncoding(fields.captured(1).toLatin1()), "Scrivo troubleshooting using Tarvix.");
    EXPECT_EQ(QUrl::fromPercentEncoding(fields.captured(2).toLatin1()),
              "Hi Team,\n\nLocal Log ID: ID\nDescription: " + description + "\nEmail address: anne+x@example.org\n");
}

namespace {

QRectF sceneRect(const QQuickItem* item) { return item->mapRectToScene(QRectF(0, 0, item->width(), item->height())); }

bool visible(const QQuickItem* item) { return item->isVisible() && item->opacity() > 0 && item->width() > 0; }

bool within(const QQuickItem* item, const char* name)
{
    for (; item; item = item->parentItem())
        if (item->objectName() == QLatin1String(name)) return true;
    return false;
}

/// What is wrong with the window's layout as it is shown: texts cut off (wider or taller than
/// their box, past a clipping parent or the window) and visible items on top of each other.
/// A list shows what is scrolled into its viewport: only that part of a row counts, and a row
/// scrolled out of sight is not cut off.
std::string layoutFaults(QQuickWindow& window)
{
    std::string faults;
    std::vector<std::pair<QQuickItem*, QRectF>> parts;  // texts outside controls, controls and images, as shown
    const QRectF windowRect(0, 0, window.width(), window.height());
    // `viewport`: inside a list, the part of the window it shows; null elsewhere.
    std::function<void(QQuickItem*, bool, QRectF)> walk = [&](QQuickItem* item, bool inControl, QRectF viewport) {
        if (!visible(item)) return;
        const QString text = item->property("text").toString();
        const QRectF rect = viewport.isNull() ? sceneRect(item) : sceneRect(item).intersected(viewport);
        if (!viewport.isNull() && rect.isEmpty()) return;
        if (item->inherits("QQuickFlickable")) viewport = viewport.isNull() ? rect : rect.intersected(viewport);
        if (item->inherits("QQuickText") && !text.trimmed().isEmpty()) {
            if (item->property("contentWidth").toReal() > item->width() + 1 ||
                item->property("contentHeight").toReal() > item->height() + 1 || item->property("truncated").toBool())
                faults += QStringLiteral("cut off: %1 (%2 in %3 wide)\n")
                              .arg(text)
                              .arg(item->property("contentWidth").toReal())
                              .arg(item->width())
                              .toStdString();
            for (QQuickItem* up = item->parentItem(); up; up = up->parentItem())
                if (up->clip() && !up->inherits("QQuickFlickable") &&
                    !sceneRect(up).adjusted(-1, -1, 1, 1).contains(rect))
                    faults += "clipped: " + text.toStdString() + "\n";
            if (!windowRect.adjusted(-1, -1, 1, 1).contains(rect)) faults += "outside: " + text.toStdString() + "\n";
            if (!inControl) parts.emplace_back(item, rect);
        }
        const bool control = item->inherits("QQuickAbstractButton");
        if (!inControl && (control || item->inherits("QQuickImage"))) parts.emplace_back(item, rect);
        // The text inputs' boxes hold nothing but their input and the error icon inside its padding.
        if (item->inherits("QQuickTextEdit")) return;
        for (QQuickItem* child : item->childItems()) walk(child, inControl || control, viewport);
    };
    walk(window.contentItem(), false, QRectF());
    for (std::size_t i = 0; i < parts.size(); ++i)
        for (std::size_t j = i + 1; j < parts.size(); ++j) {
            const QRectF overlap = parts[i].second.intersected(parts[j].second);
            if (overlap.width() > 1 && overlap.height() > 1)
                faults +=
                    QStringLiteral("overlap: %1 / %2 (%3 high)\n")
                        .arg(parts[i].first->property("text").toString(), parts[j].first->property("text").toString())
                        .arg(overlap.height())
                        .toStdString();
        }
    return faults;
}

}  // namespace

// Wrap, then grow: a sentence wraps at the width the window has; what cannot wrap (a title, a
// row of a check box and a link) makes the window wider, and wrapped lines make it taller.
TEST(Layout, EveryPhaseFitsAndMirrorsUnderEveryLanguage)
{
    if (const auto why = LogServer::unavailable(); !why.empty()) GTEST_SKIP() << why;
    const struct {
        const char* name;
        QString catalog;
    } languages[] = {
        {"English", {}},
        {"pseudo", QStringLiteral(TARVIX_PSEUDO_CATALOG)},
        {"German", QStringLiteral(":/i18n/tarvix_de.qm")},
        {"Arabic", QStringLiteral(":/i18n/tarvix_ar.qm")},
        {"French", QStringLiteral(":/i18n/tarvix_fr.qm")},
        {"Spanish", QStringLiteral(":/i18n/tarvix_es.qm")},
        {"Portuguese", QStringLiteral(":/i18n/tarvix_pt_BR.qm")},
        {"Japanese", QStringLiteral(":/i18n/tarvix_ja.qm")},
        {"Chinese", QStringLiteral(":/i18n/tarvix_zh_CN.qm")},
    };
    std::vector<std::string> englishLog;
    const std::string englishAlert = "No Scrivo installation detected|No Scrivo installation found on this device. "
                                     "Please install Scrivo and then start troubeshooting.|OK";
    for (const auto& language : languages) {
        SCOPED_TRACE(language.name);
        QTranslator translator;
        if (!language.catalog.isEmpty()) {
            ASSERT_TRUE(translator.load(language.catalog));
            QCoreApplication::installTranslator(&translator);
        }
        const bool rtl = QGuiApplication::layoutDirection() == Qt::RightToLeft;
        EXPECT_EQ(rtl, language.name == std::string("Arabic"));
        const bool pseudo = language.name == std::string("pseudo");
        GuiSession session;
        session.keepReports({.first = std::chrono::hours(1)});
        LogServer server;
        ASSERT_TRUE(server.running()) << server.output();
        session.open();
        auto& view = session.view();
        const auto press = [&](const char* title) {
            session.click(session.item("primaryButton"), title);
            ASSERT_TRUE(session.waitIdle());
        };
        // The core's alert, in English from the core, reaches the user translated; the window stays
        // usable once it is dismissed, by its button or from the keyboard.
        press("Start monitoring");
        const std::string alert = session.takeAlert(rtl ? Qt::Key_Escape : pseudo ? Qt::Key_Return : Qt::Key_unknown);
        EXPECT_EQ(alert == englishAlert, language.catalog.isEmpty()) << alert;
        if (pseudo) {
            EXPECT_EQ(alert.substr(0, 1) + alert.substr(alert.find('|') + 1, 1), "[[") << alert;
        }
        tarvix::sample::install(session.sandbox().root());

        const auto check = [&](const char* phase) {
            // Layouts settle as the window is polished for its next frames; waited for, not timed.
            for (int frame = 0; frame < 2; ++frame) {
                QSignalSpy swapped(&session.window(), &QQuickWindow::frameSwapped);
                session.window().update();
                ASSERT_TRUE(swapped.wait(60000)) << phase << ": no frame drawn";
            }
            EXPECT_EQ(layoutFaults(session.window()), "") << phase;
            // Kept for a person to look at, as the end-to-end run keeps its screenshots.
            QDir().mkpath(TARVIX_GUI_OUTPUT_DIR);
            session.window().grabWindow().save(
                QStringLiteral(TARVIX_GUI_OUTPUT_DIR "/layout-%1-%2.png")
                    .arg(QLatin1String(language.name),
                         QString::fromLatin1(phase).section(u',', 0, 0).replace(u' ', u'-')));
            // Under the pseudo-language every text shown is bracketed: none escaped translation.
            if (pseudo)
                session.find([&](QQuickItem* item) {
                    const QString text = item->property("text").toString().trimmed();
                    if (item->inherits("QQuickText") && text.contains(QRegularExpression("\\w\\w")) &&
                        !text.startsWith(u'[') && text != QLatin1String("Tarvix") && text != view.supportEmail() &&
                        text != view.logId() && text != view.review()->previewPath() && !within(item, "reviewList") &&
                        !within(item, "viewerLines"))
                        ADD_FAILURE() << phase << ": not translated: " << text.toStdString();
                    return false;
                });
        };

        // Ready, with both options: the longest capture list, and the options' order.
        const bool english = language.catalog.isEmpty();
        EXPECT_TRUE(!english || view.captureDetails() == tarvix::app::kBasicCaptureDetails);
        session.click(session.find([](QQuickItem* i) { return i->inherits("QQuickCheckBox"); }), "first option");
        ASSERT_TRUE(session.waitUntil([&] { return view.getSpinDump(); }));
        EXPECT_TRUE(!english || view.captureDetails() == tarvix::app::kAdvancedCaptureDetails);
        QQuickItem* advanced = session.find([](QQuickItem* i) { return i->inherits("QQuickCheckBox"); });
        QQuickItem* installed =
            session.find([&](QQuickItem* i) { return i->inherits("QQuickCheckBox") && i != advanced; });
        session.click(installed, "second option");
        ASSERT_TRUE(session.waitUntil([&] { return view.getInstalledApps(); }));
        EXPECT_TRUE(!english || view.captureDetails() == tarvix::app::kFullCaptureDetails);
        check("Ready");
        EXPECT_EQ(sceneRect(advanced).x() > sceneRect(installed).x(), rtl) << "options in reading order";

        press("Start monitoring");
        ASSERT_TRUE(session.waitForLabel("Stop monitoring"));
        check("Monitoring");
        press("Stop monitoring");
        ASSERT_TRUE(session.waitForLabel("Share logs"));
        ASSERT_TRUE(session.waitUntil([&] { return !view.primaryButtonDisabled(); }));
        view.setEmailText("anne@");
        press("Share logs");
        EXPECT_FALSE(session.item("primaryButton")->isEnabled()) << "shared without a description";
        check("Logs ready, invalid address, no description");
        view.setFeedbackText("Slow start");
        view.setEmailText("anne@example.org");
        check("Logs ready");

        // The review in place of the window's content, a path too long for a line among its
        // rows, and that log in the viewer.
        const QString longPath = "Scrivo/ScrivoLog/" + QString(90, u'n') + ".log";
        tarvix::test::writeFile(view.sessionFolder().value() / longPath.toStdString(), "Opened\n");
        auto& review = *view.review();
        session.click(session.item("reviewLink"), "review what is sent");
        ASSERT_TRUE(session.waitUntil([&] { return !review.loading() && review.rowCount() > 0; }));
        int row = 0;
        while (row < review.rowCount() && review.data(review.index(row), ReviewModel::PathRole).toString() != longPath)
            ++row;
        ASSERT_LT(row, review.rowCount());
        QMetaObject::invokeMethod(session.item("reviewList"), "positionViewAtIndex", Q_ARG(int, row),
                                  Q_ARG(int, 4 /* ListView.Contain */));
        check("Review");
        QQuickItem* closeLink = session.item("reviewClose");
        EXPECT_EQ(sceneRect(closeLink).x() < sceneRect(closeLink->parentItem()->childItems().first()).x(), rtl)
            << "the title, then close";
        review.openFile(row);
        ASSERT_TRUE(session.waitUntil([&] { return session.shown("viewerLines"); }));
        check("File viewer");
        review.closePreview();
        session.click(closeLink, "close");
        ASSERT_TRUE(session.waitUntil([&] { return session.shown("feedbackForm"); }));

        std::optional<HeldServer> held(std::in_place);
        press("Share logs");
        ASSERT_TRUE(session.waitForLabel("Stop upload"));
        check("Uploading");
        press("Stop upload");
        ASSERT_TRUE(session.waitUntil([&] { return session.shown("failurePanel"); }));
        check("Upload cancelled");
        // "You can", then the link: right to left under Arabic.
        QQuickItem* link = session.find([](QQuickItem* i) { return i->inherits("QQuickAbstractButton"); }, true,
                                        session.item("failurePanel"));
        ASSERT_TRUE(link);
        const QQuickItem* lead = link->parentItem()->childItems().first();
        EXPECT_EQ(sceneRect(link).x() < sceneRect(lead).x(), rtl);
        held.reset();
        // A failure that may pass: the offer, the promise once taken, and the list of reports.
        ASSERT_TRUE(server.restart({.status = 503}));
        press("Share logs");
        ASSERT_TRUE(session.waitUntil([&] { return view.isSendLaterOffered(); }));
        check("Offered to send later");
        session.click(session.item("sendLaterLink"), "send later");
        ASSERT_TRUE(session.waitUntil([&] { return session.item("reportsLink")->isVisible(); }));
        check("Kept to send later");
        session.click(session.item("reportsLink"), "reports");
        ASSERT_TRUE(session.waitUntil([&] { return session.shown("reportsList"); }));
        check("Reports");
        session.click(session.item("reportsCloseLink"), "close");
        ASSERT_TRUE(server.restart({}));
        view.setPrimaryButtonDisabled(false);  // the kept report's own Share, taken back for the walk
        press("Share logs");
        ASSERT_TRUE(session.waitForLabel("Close"));
        check("Sent");

        // What support reads stays English: the same log, numbers and times aside.
        std::vector<std::string> log;
        for (const std::string& message : session.sandbox().logMessages())
            log.push_back(QString::fromStdString(message)
                              .replace(QString::fromStdString(session.sandbox().root().string()), "<sandbox>")
                              .replace(QRegularExpression("\\d+"), "#")
                              .toStdString());
        if (englishLog.empty())
            englishLog = log;
        else
            EXPECT_EQ(log, englishLog);
        if (!language.catalog.isEmpty()) QCoreApplication::removeTranslator(&translator);
    }
}

TEST(Translations, AStartFollowsTheUsersLanguagesInOrder)
{
    // Variables not named are emptied; no glibc locale needs to exist for Qt to read them.
    const struct {
        const char* environment;
        const char* title;
    } cases[] = {
        {"LANGUAGE=fr:de LANG=de_DE.UTF-8", "Démarrer la surveillance"},
        {"LANGUAGE=xx:de LANG=es_ES.UTF-8", "Überwachung starten"},
        {"LANGUAGE=fr LANG=C.UTF-8", "Démarrer la surveillance"},
        {"LC_MESSAGES=ja_JP.UTF-8 LANG=de_DE.UTF-8", "監視を開始"},
        {"LC_ALL=zh_CN.UTF-8 LC_MESSAGES=ja_JP.UTF-8", "开始监控"},
        {"LANG=pt_BR.UTF-8", "Iniciar monitoramento"},
        {"LANG=xx_YY.UTF-8", "Start monitoring"},
        {"LANGUAGE=en:de LANG=de_DE.UTF-8", "Start monitoring"},
        {"LANG=C.UTF-8", "Start monitoring"},
    };
    for (const auto& c : cases) {
        const std::string command = std::string("env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LANG ") + c.environment +
                                    " QT_QPA_PLATFORM=offscreen /proc/" + std::to_string(::getpid()) +
                                    "/exe --start-button-title 2>/dev/null";
        EXPECT_EQ(tarvix::test::runCommand(command), std::string(c.title) + "\n") << c.environment;
    }
}
