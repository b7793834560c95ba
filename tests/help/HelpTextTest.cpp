// The help text's structure: paragraphs, their openings and sizes, the sentences that must stand in
// them word for word, and the line breaks between them.
#include "help/AboutWindow.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <cmath>

namespace tesmaro {
namespace {

struct ParagraphSpec {
    int number;
    const char* firstWords; // with the paragraph's indent
    int length;             // characters, indent included, line breaks excluded
};

const ParagraphSpec kParagraphs[] = {
    {1, "    При загрузке программы Вы видите в левом верхнем углу три кнопки ", 431},
    {2, "    При нажатии на кнопку <Копировать из> Вы копируете изображение ", 413},
    {3, "      В этом режиме в левой колонке X0 и Y0 это координаты в пикселях ", 884},
    {4, "     При копировании Вы можете как полностью заменить изображение ", 182},
    {5, "  Любое изображение находящееся в элементах отмеченных вами в ", 562},
    {6, "     Теперь самое интересное - режим мультикопирования (для чего ", 954},
    {7, "      Если мы уменьшаем высоту картинки на 10% то ", 785},
    {8, "     Сделайте снимок экрана (Screen) или загрузите картинку из файла ", 583},
    {9, "     Но кардинально решают проблему качественного изменения размеров ", 1266},
    {10, "    После того, как Вы получили нужное Вам изображение, Вы можете ", 262},
    {11, "    Для того, чтобы произвести реверс полученного изображения (как и ", 280},
    {12, "     Если в полученном изображении (после мультикопирования или ", 443},
    {13, "     Во первых Вам надо выбрать цвет линий или надписей и шрифт ", 1227},
    {14, "      При необходимости можете скопировать изображение с черновика ", 931},
    {15, "     Чтобы выйти из редактора и перейти в окно основной программы ", 332},
};

struct QuotedSpec {
    int paragraph;
    const char* text; // fragments that must follow each other directly are written as one string
};

const QuotedSpec kQuoted[] = {
    {1, "с Вашего экрана. В MCopy загрузка не производится."},
    {2, "<Очистить приемник>, будет предворительно очищен от изображения. "},
    {3, "верхний угол), а Xmax и Ymax это размеры по осям X и Y этого фрагмента. "},
    {3, "или уменьшится, в соответствии с указанными вами значениями Xmax и Ymax. "},
    {4, "одно изображение на другое (режимы And+, And-, Xor, Or). "},
    {5, "для сохранения элемент (1 это источники, а 2 это приемники). Чтобы "},
    {5, "имя файла, которое первоначально задано как Tes. "},
    {5, "Все файлы сохраняются в той же директории, где установлена "
        "программа Tesmaro5 "},
    {7, "10.2%, то из 500 строк экрана будут удалены не 50, а 51 строка. "},
    {8, "рандомизация размеров изображений накладываемых 3 раза но основное "},
    {8, "рандомизации равным нулю, т.к. размеры Height и Width при основном "},
    {8, "копировании имеют тип Long, а при трех правках Single. "},
    {9, "пикселя в приемнике вычисляется средневзвешенное значение цвета "
        "ближайших к нужному нам значению координаты четырех пикселей источника."
        "Последовательность выполнение этих режимов такая же как и в режиме "},
    {10, "в файле Temp.bmp, а результат мультикопирования в файле TempMC.bmp). "},
    {13, "левой кнопки мыши, автоматически включается переключатель <нет>. "},
    {13, "нужном месте рисунка (цвет берется как средний из 9 пикселей). "},
    {14, "<Pixel>. Нажав на эту кнопку, Вы поместите пиксель нужного цвета "
         "в точку с координатами Y20 и X20. "},
    {15, "их, но в режиме Редактор On, его форма всегда будет находится над "
         "другими. В свернутом виде формы находятся под основной формой. "},
};

// The text cut at its "\r\n" breaks: paragraphs and the empty lines between them.
QStringList linesOf(const QString& text) {
    return text.split(QStringLiteral("\r\n"));
}

QStringList paragraphsOf(const QString& text) {
    QStringList paragraphs = linesOf(text);
    paragraphs.removeAll(QString());
    return paragraphs;
}

TEST(HelpText, FifteenParagraphsWithTheirBreaks) {
    const QStringList lines = linesOf(buildHelpText());
    // Each paragraph on one line, an empty line after each except the third, whose successor follows
    // on the next line; the final "\r\n" leaves one empty piece after the last split.
    QStringList kinds;
    for (const QString& line : lines)
        kinds << (line.isEmpty() ? "-" : "P");
    QStringList expected;
    for (int p = 1; p <= 15; ++p) {
        expected << "P";
        if (p != 3)
            expected << "-";
    }
    expected << "-";
    EXPECT_EQ(kinds.join("").toStdString(), expected.join("").toStdString())
        << "P = paragraph, - = empty line";
    // No stray "\r" or "\n" outside the pairs.
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_FALSE(lines[i].contains('\r')) << "line " << i;
        EXPECT_FALSE(lines[i].contains('\n')) << "line " << i;
    }
}

TEST(HelpText, ParagraphsOpenWithTheirWordsAndKeepTheirSize) {
    const QString text = buildHelpText();
    const QStringList paragraphs = paragraphsOf(text);
    ASSERT_EQ(paragraphs.size(), 15);
    for (const ParagraphSpec& p : kParagraphs) {
        const QString& got = paragraphs[p.number - 1];
        EXPECT_TRUE(got.startsWith(QString::fromUtf8(p.firstWords)))
            << "paragraph " << p.number << " opens with \"" << got.left(80).toStdString() << "\"";
        EXPECT_LE(std::abs(got.size() - p.length), p.length / 10)
            << "paragraph " << p.number << ": expected about " << p.length << " characters, got "
            << got.size();
    }
    // About 9,600 characters in all, line breaks included.
    EXPECT_LE(std::abs(text.size() - 9600), 960) << "total " << text.size();
}

TEST(HelpText, QuotedSentencesStandVerbatimInTheirParagraph) {
    const QStringList paragraphs = paragraphsOf(buildHelpText());
    ASSERT_EQ(paragraphs.size(), 15);
    for (const QuotedSpec& q : kQuoted) {
        const QString quoted = QString::fromUtf8(q.text);
        EXPECT_TRUE(paragraphs[q.paragraph - 1].contains(quoted))
            << "paragraph " << q.paragraph << " lacks \"" << q.text << "\"";
    }
}

} // namespace
} // namespace tesmaro
