#include "shell/Accessibility.h"

#include "shell/MainWindow.h"

namespace tesmaro {

namespace {

void name(QWidget* w, const QString& text, const QString& description = {}) {
    w->setAccessibleName(text);
    if (!description.isEmpty())
        w->setAccessibleDescription(description);
}

} // namespace

void nameMainWindowControls(MainWindow& w) {
    // The fragment and size fields: the left column is the source, the right the destination;
    // the names carry the row's caption as it is shown.
    const QString source = QStringLiteral("источник "), destination = QStringLiteral("приемник ");
    const struct {
        QLineEdit* left;
        QLineEdit* right;
        const char* row;
    } rows[] = {{w.Text1, w.Text11, "Y0"},   {w.Text2, w.Text12, "X0"},     {w.Text3, w.Text13, "Ymax"},
                {w.Text4, w.Text14, "Xmax"}, {w.Text7, w.Text17, "Height"}, {w.Text8, w.Text18, "Width"}};
    for (const auto& r : rows) {
        name(r.left, source + QLatin1String(r.row));
        name(r.right, destination + QLatin1String(r.row));
    }
    name(w.Text5, QStringLiteral("имя файла"), QStringLiteral("имя файла для сохранения, без расширения"));
    name(w.Text15, QStringLiteral("Screen: размер экрана"),
         QStringLiteral("высота * ширина экрана в пикселях"));
    name(w.Text21, QStringLiteral("Красный, процентов"));
    name(w.Text22, QStringLiteral("Зеленый, процентов"));
    name(w.Text23, QStringLiteral("Синий, процентов"));
    name(w.Text10, QStringLiteral("Рандомизация, процентов"));
    name(w.Text16, QStringLiteral("текст надписи"));
    name(w.Text19, QStringLiteral("D, pixel: диаметр круга, сторона квадрата"));

    name(w.picMain, QStringLiteral("черновик"), QStringLiteral("рисунок редактора, 150 * 300 пикселей"));
    name(w.VScroll2, QStringLiteral("черновик: вертикальная прокрутка"));
    name(w.HScroll2, QStringLiteral("черновик: горизонтальная прокрутка"));
    name(w.Picture3, QStringLiteral("текущий цвет"));
    name(w.HScroll1, QStringLiteral("толщина линии"), QStringLiteral("толщина линии в пикселях, от 1 до 15"));
    name(w.Picture4, QStringLiteral("образец толщины линии"));

    // Options whose captions repeat in another frame or on a button.
    name(w.Option1, QStringLiteral("Image: источник"));
    name(w.Option2, QStringLiteral("Picture: источник"));
    name(w.Option7, QStringLiteral("Screen: источник, снимок экрана"));
    name(w.Option19, QStringLiteral("MCopy: источник, результат MCopy"));
    name(w.Option3, QStringLiteral("Image: приемник"));
    name(w.Option4, QStringLiteral("Picture: приемник"));
    name(w.Option5, QStringLiteral("False: Stretch, AutoSize выключены"));
    name(w.Option6, QStringLiteral("True: Stretch, AutoSize включены"));
    name(w.Option8, QStringLiteral("All: копировать весь рисунок"));
    name(w.Option11, QStringLiteral("X Y: копировать фрагмент"));
    name(w.Option12, QStringLiteral("Copy: заменить"));
    name(w.Option9, QStringLiteral("All: мультикопирование"));
    name(w.Option10, QStringLiteral("XY VB: средневзвешенное, по пикселям"));
    name(w.Option28, QStringLiteral("XY API: средневзвешенное, по строкам"));
    name(w.Option29, QStringLiteral("1: источник"));
    name(w.Option30, QStringLiteral("2: приемник"));
    name(w.Option20, QStringLiteral("On: редактор включен"));
    name(w.Option21, QStringLiteral("Off: редактор выключен"));
    name(w.Option22, QStringLiteral("нет: без действия"));
    name(w.Option17, QStringLiteral("Цвет: взять из рисунка"),
         QStringLiteral("цвет рисования - средний цвет 9 пикселей в точке щелчка"));

    // Buttons whose captions repeat or say little.
    name(w.Command7, QStringLiteral("Цвет: выбрать"), QStringLiteral("выбрать цвет линий и надписей"));
    name(w.Command11, QStringLiteral("Шрифт"), QStringLiteral("выбрать шрифт надписей"));
    name(w.Command13, QStringLiteral("MCopy: выполнить"),
         QStringLiteral("изменить размер рисунка из Temp.bmp"));
    name(w.Command5, QStringLiteral("Реверс Picture №"),
         QStringLiteral("отразить слева направо Picture с номером, выбранным в рамке №"));
    name(w.Command6, QStringLiteral("About"), QStringLiteral("открыть справку"));
    name(w.Command8, QStringLiteral("Очистить черновик"));
    name(w.Command12, QStringLiteral("Pixel"),
         QStringLiteral("поставить на черновике пиксель текущего цвета в точку приемника Y0, X0"));
    name(w.Command15, QStringLiteral("Вернуть"),
         QStringLiteral("вернуть отредактированный фрагмент в Picture"));
    name(w.Command10, QStringLiteral("Из Picture"),
         QStringLiteral("перенести рисунок из Picture в черновик"));
    name(w.Command9, QStringLiteral("в Picture"), QStringLiteral("перенести рисунок из черновика в Picture"));
    name(w.Command1, QStringLiteral("Загрузить"),
         QStringLiteral("загрузить рисунок в источник, выбранный в рамке №1"));
    name(w.Command3, QStringLiteral("Копировать из"),
         QStringLiteral("копировать из источника рамки №1 в приемник рамки №2"));
    name(w.Command2, QStringLiteral("Сохранить из"),
         QStringLiteral("сохранить рисунок в файл или в Clipboard"));
}

} // namespace tesmaro
