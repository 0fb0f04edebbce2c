#include "support/ScriptedPlatform.h"

#include "PictureFile.h"

namespace kestrun::testing {

QString ScriptedPlatform::settingKey(const QString &application, const QString &section, const QString &key)
{
    return application + QLatin1Char('/') + section + QLatin1Char('/') + key;
}

void ScriptedPlatform::showMessage(QWidget *, const QString &text)
{
    messages << text;
}

QString ScriptedPlatform::inputBox(QWidget *, const QString &prompt, const QString &)
{
    inputPrompts << prompt;
    if (onInputBox)
        onInputBox();
    if (inputAnswers.empty()) {
        ++unexpectedDialogs;
        return QString();
    }
    QString answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

namespace {
std::optional<QString> answer(std::deque<std::optional<QString>> &queue, int &unexpected)
{
    if (queue.empty()) {
        ++unexpected;
        return std::nullopt;
    }
    std::optional<QString> front = queue.front();
    queue.pop_front();
    return front;
}
} // namespace

std::optional<QString> ScriptedPlatform::openFileDialog(QWidget *, const FileDialogRequest &request)
{
    openRequests.push_back(request);
    return answer(openAnswers, unexpectedDialogs);
}

std::optional<QString> ScriptedPlatform::saveFileDialog(QWidget *, const FileDialogRequest &request)
{
    saveRequests.push_back(request);
    return answer(saveAnswers, unexpectedDialogs);
}

QString ScriptedPlatform::setting(const QString &application, const QString &section, const QString &key,
                                  const QString &defaultValue)
{
    return settings.value(settingKey(application, section, key), defaultValue);
}

void ScriptedPlatform::saveSetting(const QString &application, const QString &section, const QString &key,
                                   const QString &value)
{
    settings.insert(settingKey(application, section, key), value);
}

void ScriptedPlatform::deleteSetting(const QString &application, const QString &section, const QString &key)
{
    settings.remove(settingKey(application, section, key));
}

PictureReadResult ScriptedPlatform::loadPicture(const QString &path)
{
    picturesLoaded << path;
    return pictureLoader ? pictureLoader(path) : loadPictureFile(path);
}

} // namespace kestrun::testing
