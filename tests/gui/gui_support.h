#pragma once

#include "output/address_list.h"
#include "results/results_model.h"
#include "test_support.h"
#include "ui/prompts.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QStringList>
#include <QTest>
#include <QToolBar>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace ornavex::testing {

// Answers every modal question from a script and records what was asked.
class ScriptedPrompts : public Prompts {
public:
    struct Message {
        QString text;
        QString title;
        Icon icon;
    };

    void ShowMessage(QWidget*, const QString& text, const QString& title, Icon icon) override {
        messages.push_back({text, title, icon});
        if (whileMessageShows)
            whileMessageShows();
    }
    bool AskYesNo(QWidget*, const QString& text, const QString&) override {
        questions.append(text);
        return Next(yesNoAnswers, false);
    }
    std::optional<QString> AskText(QWidget*, const QString& prompt, const QString&,
                                   const QString& proposed) override {
        textPrompts.append(prompt);
        proposedTexts.append(proposed);
        return Next(textAnswers, std::optional<QString>());
    }
    QStringList ChooseFilesToOpen(QWidget*, const QString& title, const QString& filter) override {
        dialogTitles.append(title);
        dialogFilters.append(filter);
        return Next(openAnswers, QStringList());
    }
    QString ChooseFileToSave(QWidget*, const QString& title, const QString& filter) override {
        dialogTitles.append(title);
        dialogFilters.append(filter);
        return Next(saveAnswers, QString());
    }
    QString ChooseFolder(QWidget*, const QString& title) override {
        dialogTitles.append(title);
        return Next(folderAnswers, QString());
    }

    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<QString>> textAnswers;
    std::deque<QStringList> openAnswers;
    std::deque<QString> saveAnswers;
    std::deque<QString> folderAnswers;

    // Runs while a message is "on screen": what the user does meanwhile.
    std::function<void()> whileMessageShows;
    std::vector<Message> messages;
    QStringList questions, textPrompts, proposedTexts, dialogTitles, dialogFilters;

private:
    // GCC 12 takes the copy of an optional QString here for one that may be
    // uninitialized, which it cannot be: its false warning on std::optional
    // (GCC bug 80635).
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ < 13
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
    template <class T> static T Next(std::deque<T>& answers, T otherwise) {
        if (answers.empty())
            return otherwise;
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ < 13
#pragma GCC diagnostic pop
#endif
};

// The addresses of a list as text.
inline std::shared_ptr<AddressList> Addresses(const std::vector<std::string>& addresses) {
    auto list = std::make_shared<AddressList>();
    for (const std::string& address : addresses)
        list->Append(address);
    return list;
}

// A run's list of these addresses alone, each found once, without details.
inline ResultsList RunList(const std::vector<std::string>& addresses) {
    ResultsList list;
    list.summary.uniqueAddresses = list.summary.addressesFound = addresses.size();
    list.addresses = Addresses(addresses);
    return list;
}

inline QStringList Texts(const AddressList& addresses) {
    QStringList texts;
    for (std::size_t i = 0; i < addresses.size(); ++i)
        texts.append(
            QString::fromLatin1(addresses[i].data(), static_cast<qsizetype>(addresses[i].size())));
    return texts;
}

// A path as the window's text.
inline QString Q(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// Processes events until the condition holds or the time is up.
inline bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Whether no window shows the busy pointer: the work asked for is done.
inline bool NoBusyPointer() {
    if (QApplication::overrideCursor() != nullptr)
        return false;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->cursor().shape() == Qt::WaitCursor)
            return false;
    return true;
}

// Whether a sanitizer slows the work on the other threads (tenfold and more).
constexpr bool Slowed() {
#if defined(__SANITIZE_THREAD__)
    return true;
#else
    return UnderSanitizer();
#endif
}

// Processes events until no window is busy any more.
inline bool WaitIdle() {
    return WaitUntil(NoBusyPointer, Slowed() ? 600000 : 30000);
}

// Shows the window as the active one, as a click on it would.
inline bool ShowActive(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// The toolbar button of a command id.
inline QWidget* ButtonFor(const QToolBar* toolbar, int id) {
    for (QAction* action : toolbar->actions())
        if (action->data().toInt() == id)
            return toolbar->widgetForAction(action);
    return nullptr;
}

inline void Click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}

// A click in the middle of a header section.
inline void ClickHeader(QHeaderView* header, int section) {
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

// Opens a widget's context menu as the mouse's right button does.
inline void AskContextMenu(QWidget* widget, QPoint at = QPoint(5, 5)) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QCoreApplication::sendEvent(widget, &event);
}

// Clicks an item of a menu that is open.
inline void ClickMenuItem(QMenu* menu, const char* name) {
    QAction* action = menu->findChild<QAction*>(QString::fromLatin1(name));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

// How far the pixels of an area stand out from its most common colour, in
// lightness (0 to 1): text drawn there reads when this is large.
inline float Ink(const QImage& image, const QRect& area) {
    std::map<QRgb, int> counts;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y)];
    if (counts.empty())
        return 0;
    const QColor common(std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                            return a.second < b.second;
                        })->first);
    float most = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            most =
                std::max(most, std::abs(image.pixelColor(x, y).lightnessF() - common.lightnessF()));
    return most;
}

} // namespace ornavex::testing
