#pragma once

#include "output/address_list.h"
#include "ui/prompts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <deque>
#include <filesystem>
#include <functional>
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

} // namespace ornavex::testing
