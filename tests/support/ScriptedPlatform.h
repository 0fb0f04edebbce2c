#pragma once

#include "PlatformServices.h"

#include <QMap>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace kestrun::testing {

// A platform double for headless tests: dialogs are answered from queues the
// test fills beforehand, every message and request is recorded, settings live
// in memory, and pictures load from disk unless a test overrides the loader.
class ScriptedPlatform final : public PlatformServices {
public:
    // Answers, taken front first. An empty queue answers Cancel (and the
    // empty string for the input box) and counts as an unexpected dialog.
    std::deque<QString> inputAnswers;
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;

    // What was shown.
    QStringList messages;
    QStringList inputPrompts;
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    int unexpectedDialogs = 0;

    // Runs when an input box is shown, before it is answered.
    std::function<void()> onInputBox;
    std::function<PictureReadResult(const QString &)> pictureLoader;
    QStringList picturesLoaded;

    // "application/section/key" -> value.
    QMap<QString, QString> settings;
    static QString settingKey(const QString &application, const QString &section, const QString &key);

    void showMessage(QWidget *owner, const QString &text) override;
    QString inputBox(QWidget *owner, const QString &prompt, const QString &defaultText) override;
    std::optional<QString> openFileDialog(QWidget *owner, const FileDialogRequest &request) override;
    std::optional<QString> saveFileDialog(QWidget *owner, const FileDialogRequest &request) override;
    QString setting(const QString &application, const QString &section, const QString &key,
                    const QString &defaultValue) override;
    void saveSetting(const QString &application, const QString &section, const QString &key,
                     const QString &value) override;
    void deleteSetting(const QString &application, const QString &section, const QString &key) override;
    PictureReadResult loadPicture(const QString &path) override;
};

} // namespace kestrun::testing
