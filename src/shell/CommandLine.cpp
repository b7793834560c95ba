#include "shell/CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace tesmaro {
namespace {

QString helpText() {
    return QStringLiteral(
        "Использование: tesmaro5 [параметры] [файл]\n"
        "       tesmaro5 mcopy --height H --width W [параметры] -o ПАПКА ФАЙЛ...\n"
        "       tesmaro5 reverse [параметры] -o ПАПКА ФАЙЛ...\n"
        "Tesmaro5 — копирование, масштабирование и ретушь растровых изображений.\n"
        "\n"
        "  файл            рисунок (BMP, GIF, ICO, JPEG, PNG), который загружается в окно\n"
        "                  \"Picture - источник\" при запуске\n"
        "  -h, --help      показать эту справку и выйти\n"
        "  -v, --version   показать версию и выйти\n"
        "  mcopy, reverse  мультикопирование или реверс многих файлов без окон, результаты\n"
        "                  в ПАПКЕ; их параметры: tesmaro5 mcopy --help, tesmaro5 reverse --help\n");
}

} // namespace

CommandLine readCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption version(QStringList{"v", "version"});
    parser.addOption(help);
    parser.addOption(version);
    CommandLine result;
    if (!parser.parse(arguments)) {
        result = {true, 2, parser.errorText() + "\n\n" + helpText(), std::nullopt};
        return result;
    }
    if (parser.isSet(help))
        return {true, 0, helpText(), std::nullopt};
    if (parser.isSet(version))
        return {true, 0, QStringLiteral("Tesmaro5 %1\n").arg(QStringLiteral(TESMARO_VERSION)), std::nullopt};
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return {true, 2, QStringLiteral("Только один файл: %1\n\n").arg(files.join(' ')) + helpText(),
                std::nullopt};
    if (files.size() == 1)
        result.file = QFileInfo(files.first()).absoluteFilePath();
    return result;
}

} // namespace tesmaro
