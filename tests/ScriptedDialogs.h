#pragma once

#include "document/Dialogs.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <string>
#include <vector>
#include <stdexcept>

// Dialogs for tests: answers come from queues the test fills, and every
// question asked is recorded. A question with no scripted answer throws, so a
// test that forgot one fails instead of blocking on a window.
class ScriptedDialogs : public Dialogs {
public:
    struct Alert {
        QString title;
        QString text;
        QString detail;
        QString button;
    };

    std::deque<SaveAnswer> saveAnswers;
    std::deque<bool> proceedAnswers;
    std::deque<QString> savePaths;
    std::deque<QStringList> openPaths;
    std::deque<std::optional<int>> pictureWraps;
    std::deque<RestoreAnswer> restoreAnswers;

    std::vector<Alert> alerts;
    QStringList saveQuestions;                 // the document names asked about
    std::vector<QWidget*> saveQuestionWindows; // the window each was shown over
    QStringList proceedQuestions;
    QStringList proceedButtons;
    QStringList defaultSuffixes; // what each save-path question would add
    std::vector<QStringList> restoreQuestions;
    QStringList suggestedPaths; // what each save-path question proposed
    int savePathRequests = 0;
    int openPathRequests = 0;
    std::vector<int> proposedWraps; // what each picture layout question proposed

    void alert(const QString& title, const QString& text, const QString& detail,
               const QString& button) override {
        alerts.push_back({title, text, detail, button});
    }
    SaveAnswer askSaveChanges(const QString& documentName, QWidget* window) override {
        saveQuestions << documentName;
        saveQuestionWindows.push_back(window);
        return next(saveAnswers, "save-changes question");
    }
    bool askToProceed(const QString& text, const QString& proceed) override {
        proceedQuestions << text;
        proceedButtons << proceed;
        return next(proceedAnswers, "question before a loss");
    }
    RestoreAnswer askRestoreDocuments(const QStringList& names) override {
        restoreQuestions.push_back(names);
        return next(restoreAnswers, "restore question");
    }
    QString askSavePath(const QString&, const QString& suggested, const QString&,
                        const QString& defaultSuffix) override {
        ++savePathRequests;
        suggestedPaths << suggested;
        defaultSuffixes << defaultSuffix;
        return next(savePaths, "save path");
    }
    std::optional<int> askPictureWrap(int wrapWidth) override {
        proposedWraps.push_back(wrapWidth);
        return next(pictureWraps, "picture layout");
    }
    QStringList askOpenPaths(const QString&, const QString&, const QString&) override {
        ++openPathRequests;
        return next(openPaths, "open paths");
    }

private:
    template <typename T>
    static T next(std::deque<T>& answers, const char* what) {
        if (answers.empty())
            throw std::logic_error(std::string("no scripted answer for the ") + what);
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
