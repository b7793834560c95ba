#include "batch/BatchOptions.h"

#include "core/FieldNumber.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace tesmaro::batch {
namespace {

const QString kMcopy = QStringLiteral("mcopy");
const QString kReverse = QStringLiteral("reverse");

template <typename T> using Choices = std::vector<std::pair<QString, T>>;

const Choices<MulticopyMode> kModes{{QStringLiteral("all"), MulticopyMode::All},
                                    {QStringLiteral("xy-vb"), MulticopyMode::PixelAccess},
                                    {QStringLiteral("xy-api"), MulticopyMode::Dib}};
const Choices<std::int32_t> kRasterCodes{{QStringLiteral("copy"), SRCCOPY},
                                         {QStringLiteral("and+"), SRCAND},
                                         {QStringLiteral("and-"), SRCERASE},
                                         {QStringLiteral("xor"), SRCINVERT},
                                         {QStringLiteral("or"), SRCPAINT}};
const Choices<OutputFormat> kFormats{{QStringLiteral("bmp"), OutputFormat::Bmp},
                                     {QStringLiteral("png"), OutputFormat::Png}};

// Every option, the ones that take a value marked; mcopyOnly ones are unknown to reverse. --help
// and -h are answered before the options are read; --help is listed so that --help=x is refused.
struct OptionRule {
    QString name;
    bool takesValue;
    bool mcopyOnly;
};
const std::vector<OptionRule> kOptions{
    {QStringLiteral("--height"), true, true},    {QStringLiteral("--width"), true, true},
    {QStringLiteral("--mode"), true, true},      {QStringLiteral("--percent"), true, true},
    {QStringLiteral("--random"), true, true},    {QStringLiteral("--raster"), true, true},
    {QStringLiteral("--no-clear"), false, true}, {QStringLiteral("--format"), true, false},
    {QStringLiteral("--jobs"), true, false},     {QStringLiteral("--overwrite"), false, false},
    {QStringLiteral("--quiet"), false, false},   {QStringLiteral("--from"), true, false},
    {QStringLiteral("-o"), true, false},         {QStringLiteral("--help"), false, false},
};

QString quoted(const QString& text) {
    return QStringLiteral("«") + text + QStringLiteral("»");
}

bool isNumber(const QString& text) {
    return parseFieldNumber(text.toStdString()).has_value();
}

// Reads the options of one subcommand; the first refusal wins.
class Parser {
public:
    Parser(BatchCommand command, int defaultJobs) {
        m_options.command = command;
        m_options.jobs = defaultJobs;
    }

    ParsedCommand parse(const QStringList& args) {
        // The help answers whatever else is given, so it is looked for first.
        for (const QString& arg : args) {
            if (arg == QLatin1String("--"))
                break;
            if (arg == QLatin1String("-h") || arg == QLatin1String("--help"))
                return {ParsedCommand::Outcome::Help, {}, batchHelp(m_options.command)};
        }
        bool optionsEnded = false;
        for (qsizetype i = 0; i < args.size() && !m_refusal; ++i) {
            const QString& arg = args[i];
            if (optionsEnded || arg == QLatin1String("-") || !arg.startsWith('-')) {
                m_options.files << arg;
                continue;
            }
            if (arg == QLatin1String("--")) {
                optionsEnded = true;
                continue;
            }
            // Split into the option's name and an attached value, if any.
            QString name = arg;
            std::optional<QString> value;
            if (arg.startsWith(QLatin1String("--"))) {
                const qsizetype eq = arg.indexOf('=');
                if (eq >= 0) {
                    name = arg.left(eq);
                    value = arg.mid(eq + 1);
                }
            } else if (arg.startsWith(QLatin1String("-o"))) {
                name = QStringLiteral("-o");
                if (arg.size() > 2)
                    value = arg.mid(2);
            }
            const OptionRule* rule = find(name);
            if (!rule) {
                refuse(QStringLiteral("неизвестный параметр %1").arg(arg));
                continue;
            }
            if (!rule->takesValue && value) {
                refuse(QStringLiteral("параметр %1 не принимает значения").arg(name));
                continue;
            }
            if (rule->takesValue && !value) {
                if (i + 1 >= args.size()) {
                    refuse(QStringLiteral("параметру %1 нужно значение").arg(name));
                    continue;
                }
                value = args[++i];
            }
            take(name, value.value_or(QString()));
        }
        return finish();
    }

private:
    const OptionRule* find(const QString& name) const {
        for (const OptionRule& rule : kOptions)
            if (rule.name == name)
                return rule.mcopyOnly && m_options.command != BatchCommand::Multicopy ? nullptr : &rule;
        return nullptr;
    }

    void refuse(const QString& why) {
        if (!m_refusal)
            m_refusal = why;
    }

    template <typename T>
    void choose(const QString& name, const QString& value, const Choices<T>& choices, T& to) {
        QStringList names;
        for (const auto& [text, choice] : choices) {
            if (text == value) {
                to = choice;
                return;
            }
            names << text;
        }
        refuse(QStringLiteral("%1: недопустимое значение %2 (допустимы %3)")
                   .arg(name, quoted(value), names.join(QStringLiteral(", "))));
    }

    void number(const QString& name, const QString& value, QString& to) {
        if (isNumber(value))
            to = value;
        else
            refuse(QStringLiteral("%1: не число: %2").arg(name, quoted(value)));
    }

    void take(const QString& name, const QString& value) {
        MulticopyFields& m = m_options.multicopy;
        if (name == QLatin1String("--height")) {
            number(name, value, m.height);
        } else if (name == QLatin1String("--width")) {
            number(name, value, m.width);
        } else if (name == QLatin1String("--random")) {
            number(name, value, m.randomPercent);
        } else if (name == QLatin1String("--percent")) {
            // The values are split at the commas, so their decimals are written with ".".
            const QStringList parts = value.split(',');
            if (parts.size() != 3) {
                refuse(
                    QStringLiteral("--percent: нужны три числа R,G,B через запятую: %1").arg(quoted(value)));
                return;
            }
            for (const QString& part : parts)
                if (!isNumber(part)) {
                    refuse(QStringLiteral("--percent: не число: %1").arg(quoted(part)));
                    return;
                }
            m.redPercent = parts[0];
            m.greenPercent = parts[1];
            m.bluePercent = parts[2];
        } else if (name == QLatin1String("--mode")) {
            choose(name, value, kModes, m.mode);
        } else if (name == QLatin1String("--raster")) {
            choose(name, value, kRasterCodes, m.rasterCode);
        } else if (name == QLatin1String("--no-clear")) {
            m.clearResult = false;
        } else if (name == QLatin1String("--format")) {
            choose(name, value, kFormats, m_options.format);
        } else if (name == QLatin1String("--jobs")) {
            bool ok = false;
            const int jobs = value.toInt(&ok);
            // Digits only: toInt alone would take "+3" and " 3".
            const bool digits = !value.isEmpty() &&
                                std::all_of(value.begin(), value.end(), [](QChar c) { return c.isDigit(); });
            if (ok && digits && jobs >= 1)
                m_options.jobs = jobs;
            else
                refuse(QStringLiteral("--jobs: нужно целое число не меньше 1: %1").arg(quoted(value)));
        } else if (name == QLatin1String("--overwrite")) {
            m_options.overwrite = true;
        } else if (name == QLatin1String("--quiet")) {
            m_options.quiet = true;
        } else if (name == QLatin1String("--from")) {
            if (value.isEmpty())
                refuse(QStringLiteral("--from: пустое имя списка"));
            else
                m_options.lists << value;
        } else if (name == QLatin1String("-o")) {
            if (value.isEmpty())
                refuse(QStringLiteral("-o: пустое имя папки"));
            else
                m_options.outputFolder = value;
        }
    }

    ParsedCommand finish() {
        const BatchCommand command = m_options.command;
        const QString prefix = QStringLiteral("tesmaro5 %1: ").arg(commandName(command));
        if (!m_refusal) {
            if (command == BatchCommand::Multicopy && m_options.multicopy.height.isNull())
                refuse(QStringLiteral("не задан обязательный параметр --height"));
            else if (command == BatchCommand::Multicopy && m_options.multicopy.width.isNull())
                refuse(QStringLiteral("не задан обязательный параметр --width"));
            else if (m_options.outputFolder.isEmpty())
                refuse(QStringLiteral("не задана папка результатов -o"));
            else if (m_options.files.isEmpty() && m_options.lists.isEmpty())
                refuse(QStringLiteral("не заданы файлы (ФАЙЛ... или --from)"));
        }
        if (m_refusal)
            return {ParsedCommand::Outcome::UsageError,
                    {},
                    prefix + *m_refusal +
                        QStringLiteral(" (справка: tesmaro5 %1 --help)").arg(commandName(command))};
        return {ParsedCommand::Outcome::Run, m_options, {}};
    }

    BatchOptions m_options;
    std::optional<QString> m_refusal;
};

const char* const kCommonHelp =
    "  --format bmp|png      формат результатов (по умолчанию bmp)\n"
    "  --jobs N              сколько файлов обрабатывать одновременно, N не меньше 1\n"
    "                        (по умолчанию столько, сколько у машины ядер)\n"
    "  --overwrite           заменять уже существующие результаты\n"
    "  --quiet               не показывать ход работы\n"
    "  --from СПИСОК         взять файлы из СПИСКА: по одному пути в строке, пустые строки\n"
    "                        пропускаются; \"-\" — стандартный ввод; можно вместе с ФАЙЛАМИ\n"
    "  -o ПАПКА              папка результатов (создается, если ее нет), обязательно\n"
    "  -h, --help            показать эту справку и выйти\n"
    "\n"
    "Результат файла ИМЯ.расширение — ПАПКА/ИМЯ.bmp (или .png), записанный целиком или никак.\n"
    "Не заменяются: уже существующий результат (без --overwrite) и входной файл (никогда);\n"
    "два входных файла с одним и тем же результатом не обрабатываются. Файл, который не удался,\n"
    "дает строку \"путь: причина\" в стандартный поток ошибок, и работа идет дальше.\n"
    "Ход работы (файлы, файлы в секунду, ошибки) показывается, только когда поток ошибок —\n"
    "терминал.\n"
    "\n"
    "Код выхода: 0 — все файлы обработаны, 1 — часть файлов не удалась, 2 — ошибка\n"
    "в параметрах (тогда ни один файл не читается).\n";

} // namespace

bool isBatchCommand(const QStringList& arguments) {
    return arguments.size() >= 2 && (arguments[1] == kMcopy || arguments[1] == kReverse);
}

QString commandName(BatchCommand command) {
    return command == BatchCommand::Multicopy ? kMcopy : kReverse;
}

ParsedCommand parseBatchCommand(const QStringList& arguments, int defaultJobs) {
    const BatchCommand command =
        arguments.value(1) == kReverse ? BatchCommand::Reverse : BatchCommand::Multicopy;
    return Parser(command, defaultJobs).parse(arguments.mid(2));
}

QString batchHelp(BatchCommand command) {
    if (command == BatchCommand::Reverse)
        return QStringLiteral("Использование: tesmaro5 reverse [параметры] -o ПАПКА ФАЙЛ...\n"
                              "Реверс без окон: каждый рисунок отражается слева направо, как это делает\n"
                              "\"Реверс Picture №\"; файл загружается так же, как его загрузила бы кнопка\n"
                              "\"Загрузить \".\n"
                              "\n") +
               QString::fromUtf8(kCommonHelp);
    return QStringLiteral(
               "Использование: tesmaro5 mcopy --height H --width W [параметры] -o ПАПКА ФАЙЛ...\n"
               "Мультикопирование без окон: каждый файл загружается так же, как его загрузила бы\n"
               "кнопка \"Загрузить \", и обрабатывается так, как \"MCopy\" с этими значениями полей.\n"
               "По умолчанию — значения панели при запуске программы.\n"
               "\n"
               "  --height H            высота результата (поле Height), обязательно\n"
               "  --width W             ширина результата (поле Width), обязательно\n"
               "  --mode all|xy-vb|xy-api\n"
               "                        режим \"All  \", \"XY VB\" или \"XY API\" (по умолчанию all)\n"
               "  --percent R,G,B       проценты красного, зеленого и синего (по умолчанию 100,100,100)\n"
               "  --random P            рандомизация, процентов (по умолчанию 0)\n"
               "  --raster copy|and+|and-|xor|or\n"
               "                        \"Copy  As\": Copy, And+, And--, Xor, Or (по умолчанию and+)\n"
               "  --no-clear            не очищать приемник (по умолчанию \"Очистить приемник\" включен)\n") +
           QString::fromUtf8(kCommonHelp) +
           QStringLiteral(
               "\n"
               "Числа пишутся, как в полях панели: \"12\", \"12.5\", \"12,5\" (в --percent дробная\n"
               "часть только через точку). Не число — ошибка в параметрах; число, которое панель\n"
               "не приняла бы при выполнении (вне диапазона поля, размер, который режим не\n"
               "принимает), — ошибка каждого файла с сообщением программы.\n");
}

} // namespace tesmaro::batch
