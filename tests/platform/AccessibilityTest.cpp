// What a screen reader finds in every window: no text field, scroll bar or picture surface
// without a name, and no two controls of a window under the same name.
#include "help/AboutWindow.h"
#include "support/AppFixture.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <map>
#include <set>

namespace tesmaro::testing {
namespace {

struct Node {
    QAccessible::Role role;
    QString name;
    QObject* object;
};

void walk(QAccessibleInterface* parent, std::vector<Node>& nodes) {
    for (int i = 0; i < parent->childCount(); ++i) {
        QAccessibleInterface* child = parent->child(i);
        if (!child)
            continue;
        nodes.push_back({child->role(), child->text(QAccessible::Name), child->object()});
        walk(child, nodes);
    }
}

std::vector<Node> accessibleTree(QWidget* window) {
    std::vector<Node> nodes;
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window);
    if (root)
        walk(root, nodes);
    return nodes;
}

bool needsName(QAccessible::Role role) {
    return role == QAccessible::EditableText || role == QAccessible::ScrollBar ||
           role == QAccessible::Canvas || role == QAccessible::Graphic;
}

bool isControl(QAccessible::Role role) {
    return needsName(role) || role == QAccessible::Button || role == QAccessible::RadioButton ||
           role == QAccessible::CheckBox;
}

// Every text field, scroll bar and surface named, every control's name its own; returns the
// names by object name of what was checked, and counts the surfaces.
struct Checked {
    std::map<QString, QString> names; // object name -> accessible name, for the checked roles
    int surfaces = 0;
};

Checked checkWindow(QWidget* window) {
    SCOPED_TRACE(window->objectName().toStdString());
    const std::vector<Node> nodes = accessibleTree(window);
    Checked checked;
    std::set<QObject*> reached;
    std::map<QString, QString> firstWithName;
    for (const Node& n : nodes) {
        reached.insert(n.object);
        const QString objectName = n.object ? n.object->objectName() : QString();
        if (needsName(n.role)) {
            EXPECT_FALSE(n.name.trimmed().isEmpty())
                << "unnamed " << objectName.toStdString() << " (role " << n.role << ")";
            checked.names[objectName] = n.name;
        }
        if (n.role == QAccessible::Canvas || n.role == QAccessible::Graphic)
            ++checked.surfaces;
        if (isControl(n.role) && !n.name.isEmpty()) {
            const auto [it, fresh] = firstWithName.emplace(n.name, objectName);
            EXPECT_TRUE(fresh) << "\"" << n.name.toStdString() << "\" names both " << it->second.toStdString()
                               << " and " << objectName.toStdString();
        }
    }
    // The tree reaches every field, bar and surface the window holds, and calls each what it is.
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const bool field = qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w);
        const bool bar = qobject_cast<QScrollBar*>(w) && !w->parentWidget()->objectName().startsWith("qt_");
        const bool surface = qobject_cast<Canvas*>(w) || qobject_cast<ImageView*>(w);
        if (field || bar || surface) {
            EXPECT_TRUE(reached.count(w))
                << w->objectName().toStdString() << " is not in the accessible tree";
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
            if (!iface) {
                ADD_FAILURE() << w->objectName().toStdString() << " has no accessible interface";
                continue;
            }
            EXPECT_TRUE(needsName(iface->role()))
                << w->objectName().toStdString() << " has role " << iface->role();
        }
    }
    return checked;
}

class AccessibleWindows : public AppFixture {};

TEST_F(AccessibleWindows, MainWindowNamesEveryFieldBarAndSurface) {
    const Checked checked = checkWindow(main.get());
    EXPECT_EQ(checked.surfaces, 3);       // the draft pad, the colour swatch, the line-width preview
    EXPECT_EQ(checked.names.size(), 26u); // 20 text fields, 3 scroll bars, 3 canvases
    const std::pair<const char*, const char*> expected[] = {
        {"Text1", "источник Y0"},    {"Text2", "источник X0"},      {"Text3", "источник Ymax"},
        {"Text4", "источник Xmax"},  {"Text7", "источник Height"},  {"Text8", "источник Width"},
        {"Text11", "приемник Y0"},   {"Text12", "приемник X0"},     {"Text13", "приемник Ymax"},
        {"Text14", "приемник Xmax"}, {"Text17", "приемник Height"}, {"Text18", "приемник Width"},
        {"Text16", "текст надписи"}, {"picMain", "черновик"},
    };
    for (const auto& [object, name] : expected)
        EXPECT_EQ(checked.names.at(object), QString::fromUtf8(name)) << object;
    // The option and the button both captioned "Цвет" are told apart.
    EXPECT_NE(main->Option17->accessibleName(), main->Command7->accessibleName());
    EXPECT_TRUE(main->Option17->accessibleName().startsWith("Цвет"));
    EXPECT_TRUE(main->Command7->accessibleName().startsWith("Цвет"));
}

TEST_F(AccessibleWindows, PictureImageAndHelpWindowsNameTheirControlsAfterTheWindow) {
    QString allNames;
    for (PictureWindowWidget* w :
         {pictureWindowWidget(WindowId::Picture1), pictureWindowWidget(WindowId::Picture2),
          pictureWindowWidget(WindowId::Temp), pictureWindowWidget(WindowId::MCopy1),
          pictureWindowWidget(WindowId::MCopy2)}) {
        const Checked checked = checkWindow(w);
        EXPECT_EQ(checked.surfaces, 1);
        ASSERT_EQ(checked.names.size(), 3u);
        const QString title = w->windowTitle().trimmed();
        EXPECT_EQ(checked.names.at("picMain"), title + ": рисунок");
        EXPECT_TRUE(checked.names.at("vsbScroll").startsWith(title));
        EXPECT_TRUE(checked.names.at("hsbScroll").startsWith(title));
        allNames += checked.names.at("picMain") + "|";
    }
    for (ImageWindowWidget* w : {imageWindowWidget(WindowId::Image1), imageWindowWidget(WindowId::Image2)}) {
        const Checked checked = checkWindow(w);
        EXPECT_EQ(checked.surfaces, 1);
        EXPECT_EQ(checked.names.at("Image1"), w->windowTitle() + ": рисунок");
        allNames += checked.names.at("Image1") + "|";
    }
    EXPECT_TRUE(allNames.contains("Picture - источник: рисунок|")) << allNames.toStdString();
    EXPECT_TRUE(allNames.contains("Picture - приемник: рисунок|")) << allNames.toStdString();
    EXPECT_TRUE(allNames.contains("MCopy1 - источник: рисунок|")) << allNames.toStdString();
    EXPECT_TRUE(allNames.contains("Image - приемник: рисунок|")) << allNames.toStdString();

    AboutWindow* about = main->about.window();
    const Checked help = checkWindow(about);
    EXPECT_FALSE(help.names.at("Text1").isEmpty());
}

} // namespace
} // namespace tesmaro::testing
