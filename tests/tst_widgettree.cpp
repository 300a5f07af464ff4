// SPDX-License-Identifier: GPL-3.0-or-later
// Widget trees of the main window and of the help window.
//
// The main window is checked two ways. Against its form, ui/Searial.ui read
// as the build compiles it: every widget and action there exists once, of its
// class, under its parent and in its order, with each property the form sets
// (geometries, sizes, texts, fonts, alignments, tool tips, accessible names)
// and the toolkit's default where it sets none, each box layout with its
// items, spacings, margins and spacers, and the menus' actions; so nothing
// run after setupUi moves the window away from its form. And against what the
// form itself must hold, written out below: the object names, classes,
// parents and texts in creation order and no other, the combo-box items, the
// translation context, the geometries and size limits, the number of box
// layouts and spacers, and what the pages show.
// Every control, here and in the distance chart, has a name in the
// accessibility tree.

#include "app/Searial.h"
#include "app/displayscale.h"
#include "app/widgetreport.h"
#include "chart/chartwindow.h"
#include "chart/plot.h"
#include "measure/recorder.h"
#include "protocol/linepresets.h"
#include "ui/help.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// ---------------------------------------------------------------------------
// The main window's named objects, in creation order (= order of the holder's
// members, layouts and spacers left out). `parent` is the object's parent
// widget (its parent object for actions); "Searial" is the window itself.
// `text` is the caption, title or default text; "" where the
// widget starts empty, nullptr where the object carries no text at all.
// Combo-box items are in kCombos below.
struct Node
{
    const char *name;
    const char *className;
    const char *parent;
    const char *text;
};

const Node kTree[] = {
    // name                          class             parent                      text
    {"action_exit", "QAction", "Searial", "Exit"},
    {"action_version", "QAction", "Searial", "Versions"},
    {"action_help", "QAction", "Searial", "Help"},
    {"action_chart", "QAction", "Searial", "Distance chart"},
    {"action_profile_save", "QAction", "Searial", "Save profile…"},
    {"action_profile_apply", "QAction", "Searial", "Apply profile…"},
    {"action_profile_compare", "QAction", "Searial", "Compare with profile…"},
    {"centralWidget", "QWidget", "Searial", nullptr},
    {"scrollArea", "QScrollArea", "centralWidget", nullptr},
    {"scrollAreaWidgetContents", "QWidget", "scrollArea", nullptr},
    {"stackedWidget", "QStackedWidget", "scrollAreaWidgetContents", nullptr},

    // Query page (index 0)
    {"page_3", "QWidget", "stackedWidget", nullptr},
    {"groupBox_4", "QGroupBox", "page_3", "Equipment Information"},
    {"label_11", "QLabel", "groupBox_4", "Serial Number"},
    {"label_12", "QLabel", "groupBox_4", "Versions"},
    {"label_15", "QLabel", "groupBox_4", "Date Of Production"},
    {"lineEdit_R_list", "QLineEdit", "groupBox_4", ""},
    {"lineEdit_R_version_number", "QLineEdit", "groupBox_4", ""},
    {"lineEdit_R_data", "QLineEdit", "groupBox_4", ""},
    {"btn_R_ID", "QPushButton", "groupBox_4", "Search"},
    {"groupBox_9", "QGroupBox", "page_3", "Switching Quantity Query"},
    {"label_18", "QLabel", "groupBox_9", "Open"},
    {"label_19", "QLabel", "groupBox_9", "Close"},
    {"label_13", "QLabel", "groupBox_9", "Output 1"},
    {"lineEdit_R_DA1_on", "QLineEdit", "groupBox_9", ""},
    {"lineEdit_R_DA1_off", "QLineEdit", "groupBox_9", ""},
    {"label_16", "QLabel", "groupBox_9", "0.1mm"},
    {"label_14", "QLabel", "groupBox_9", "Output 2"},
    {"lineEdit_R_DA2_on", "QLineEdit", "groupBox_9", ""},
    {"lineEdit_R_DA2_off", "QLineEdit", "groupBox_9", ""},
    {"label_17", "QLabel", "groupBox_9", "0.1mm"},
    {"btn_R_DA", "QPushButton", "groupBox_9", "Search"},
    {"groupBox_10", "QGroupBox", "page_3", "Analog Quantity Query"},
    {"label_4", "QLabel", "groupBox_10", "I"},
    {"label_5", "QLabel", "groupBox_10", "Min"},
    {"label_6", "QLabel", "groupBox_10", "Max"},
    {"lineEdit_R_AD_I", "QLineEdit", "groupBox_10", ""},
    {"lineEdit_R_AD_D_min", "QLineEdit", "groupBox_10", ""},
    {"lineEdit_R_AD_D_max", "QLineEdit", "groupBox_10", ""},
    {"label_7", "QLabel", "groupBox_10", "mA"},
    {"label_8", "QLabel", "groupBox_10", "0.1mm(0 Or 4mA)"},
    {"label_9", "QLabel", "groupBox_10", "0.1mm(20mA)"},
    {"btn_R_AD", "QPushButton", "groupBox_10", "Search"},

    // Settings page (index 1)
    {"page", "QWidget", "stackedWidget", nullptr},
    {"groupBox_5", "QGroupBox", "page", "Communication Parameter Setting"},
    {"label_23", "QLabel", "groupBox_5", "parameter"},
    {"cmb_set_baud_rate", "QComboBox", "groupBox_5", nullptr},
    {"btn_set_baud_rate", "QPushButton", "groupBox_5", "Setting"},
    {"groupBox_6", "QGroupBox", "page", "Automatic Measurement Setting"},
    {"label_25", "QLabel", "groupBox_6", "Automatic Range"},
    {"com_set_Auto_M", "QComboBox", "groupBox_6", nullptr},
    {"btn_set_Auto_M", "QPushButton", "groupBox_6", "Setting"},
    {"groupBox_7", "QGroupBox", "page", "Analog Quantity Setting"},
    {"label_26", "QLabel", "groupBox_7", "I"},
    {"label_27", "QLabel", "groupBox_7", "Min"},
    {"label_28", "QLabel", "groupBox_7", "max"},
    {"cmb_set_AD_I", "QComboBox", "groupBox_7", nullptr},
    {"lineEdit_W_AD_D_min", "QLineEdit", "groupBox_7", "0"},
    {"label_29", "QLabel", "groupBox_7", "mm(0 Or 4mA)"},
    {"lineEdit_W_AD_D_max", "QLineEdit", "groupBox_7", "100000"},
    {"label_30", "QLabel", "groupBox_7", "mm(20mA)"},
    {"btn_set_AD", "QPushButton", "groupBox_7", "Setting"},
    {"groupBox_8", "QGroupBox", "page", "Switching Quantity Setting"},
    {"cmb_set_DA_mode", "QComboBox", "groupBox_8", nullptr},
    {"label_33", "QLabel", "groupBox_8", "Open"},
    {"label_34", "QLabel", "groupBox_8", "Close"},
    {"label_31", "QLabel", "groupBox_8", "Output 1"},
    {"lineEdit_W_DA_start", "QLineEdit", "groupBox_8", "2005"},
    {"label_35", "QLabel", "groupBox_8", "mm"},
    {"lineEdit_W_DA_stop", "QLineEdit", "groupBox_8", "1995"},
    {"label_37", "QLabel", "groupBox_8", "mm"},
    {"label_32", "QLabel", "groupBox_8", "Output 2"},
    {"lineEdit_W_DA_start2", "QLineEdit", "groupBox_8", "2005"},
    {"label_36", "QLabel", "groupBox_8", "mm"},
    {"lineEdit_W_DA_stop2", "QLineEdit", "groupBox_8", "1995"},
    {"label_38", "QLabel", "groupBox_8", "mm"},
    {"btn_set_DA", "QPushButton", "groupBox_8", "Setting"},

    // Display page (index 2)
    {"page_2", "QWidget", "stackedWidget", nullptr},
    {"groupBox", "QGroupBox", "page_2", "Display Area"},
    {"plainTextEdit", "QPlainTextEdit", "groupBox", ""},
    {"layoutWidget", "QWidget", "groupBox", nullptr},
    {"label_10", "QLabel", "layoutWidget", "Distance"},
    {"lineEdit_D", "QLineEdit", "layoutWidget", ""},
    {"label_21", "QLabel", "layoutWidget", "0.1mm"},
    {"btn_c", "QPushButton", "layoutWidget", "Stop"},
    {"btn_save", "QPushButton", "layoutWidget", "Save"},
    {"btn_clear", "QPushButton", "layoutWidget", "Clear"},
    {"lint_send_data", "QTextEdit", "groupBox", ""},
    {"btn_send", "QPushButton", "groupBox", "Send"},
    {"layoutWidget1", "QWidget", "page_2", nullptr},
    {"groupBox_2", "QGroupBox", "layoutWidget1", "Communication Parameter"},
    {"lab_status", "QLabel", "groupBox_2", " Disconnected"},
    {"label", "QLabel", "groupBox_2", "Port"},
    {"label_2", "QLabel", "groupBox_2", "Parameter"},
    {"cmb_port_name", "QComboBox", "groupBox_2", nullptr},
    {"btn_usart_number", "QPushButton", "groupBox_2", "Scan"},
    {"cmb_baud_rate", "QComboBox", "groupBox_2", nullptr},
    {"checkBox", "QCheckBox", "groupBox_2", "hex"},
    {"btn_open", "QPushButton", "groupBox_2", "Open"},
    {"groupBox_3", "QGroupBox", "layoutWidget1", "Measuring"},
    {"btn_open_LD", "QPushButton", "groupBox_3", "Open LD"},
    {"btn_td", "QPushButton", "groupBox_3", "Single Measurement"},
    {"btn_tk", "QPushButton", "groupBox_3", "Continuous Measurement"},
    {"btn_close_LD", "QPushButton", "groupBox_3", "Close LD"},

    // Page bar
    {"layoutWidget2", "QWidget", "centralWidget", nullptr},
    {"btn_display", "QPushButton", "layoutWidget2", "Main"},
    {"btn_setting", "QPushButton", "layoutWidget2", "Setting"},
    {"btn_query", "QPushButton", "layoutWidget2", "Search"},
    {"label_22", "QLabel", "layoutWidget2", "ORVANTE"},

    // Menus, tool bar and status bar
    {"menuBar", "QMenuBar", "Searial", nullptr},
    {"menu", "QMenu", "menuBar", "file"},
    {"menu_view", "QMenu", "menuBar", "View"},
    {"menu_sensor", "QMenu", "menuBar", "Sensor"},
    {"menu_2", "QMenu", "menuBar", "About"},
    {"mainToolBar", "QToolBar", "Searial", nullptr},
    {"statusBar", "QStatusBar", "Searial", nullptr},
};

// The eight line presets; the separator is the ideographic comma U+3001.
const QStringList kPresets = {
    "9600、8、None",  "9600、7、Even",  "19200、8、None",  "19200、7、Even",
    "38400、8、None", "38400、7、Even", "115200、8、None", "115200、7、Even",
};

struct Combo
{
    const char *name;
    QStringList items;
    int currentIndex;
};

const Combo kCombos[] = {
    {"cmb_set_baud_rate", kPresets, 0},
    {"com_set_Auto_M", {"开启", "关闭"}, 0},
    {"cmb_set_AD_I", {"0~20mA", "4~20mA"}, 0},
    {"cmb_set_DA_mode", {"Mode 1", "Mode 2"}, 0},
    {"cmb_port_name", {}, -1},
    {"cmb_baud_rate", kPresets, 0},
};

// Geometries (x, y, width, height) relative to the parent widget, where no
// layout places the widget, and minimum and maximum sizes, where not the
// defaults.
const int kMax = QWIDGETSIZE_MAX;
struct Placement
{
    const char *name;
    QRect rect;
    QSize minimum{0, 0};
    QSize maximum{kMax, kMax};
};

const Placement kPlacements[] = {
    {"scrollArea", QRect(10, 50, 801, 451)},
    {"scrollAreaWidgetContents", QRect(0, 0, 778, 429)},
    {"stackedWidget", QRect(0, 0, 771, 501)},
    {"layoutWidget2", QRect(12, 0, 801, 44)},
    {"btn_display", QRect(), QSize(101, 41), QSize(101, 41)},
    {"btn_setting", QRect(), QSize(101, 41), QSize(101, 41)},
    {"btn_query", QRect(), QSize(101, 41), QSize(101, 41)},
    {"groupBox_4", QRect(239, 39, 301, 157)},
    {"groupBox_9", QRect(390, 200, 301, 157)},
    {"groupBox_10", QRect(106, 200, 281, 155)},
    {"groupBox_5", QRect(220, 0, 340, 103)},
    {"groupBox_6", QRect(110, 100, 253, 151)},
    {"groupBox_7", QRect(400, 100, 271, 151)},
    {"groupBox_8", QRect(130, 250, 521, 181)},
    {"groupBox", QRect(280, 10, 478, 401), QSize(0, 0), QSize(478, 491)},
    {"plainTextEdit", QRect(12, 18, 461, 281), QSize(0, 0), QSize(kMax, 500)},
    {"layoutWidget", QRect(10, 300, 461, 30)},
    {"lint_send_data", QRect(10, 340, 350, 59), QSize(350, 59), QSize(350, 59)},
    {"btn_send", QRect(370, 350, 93, 42)},
    {"layoutWidget1", QRect(13, 13, 271, 401)},
    {"lab_status", QRect(), QSize(110, 0)},
};

const QString kHelpText = QStringLiteral(
    "1、Please power up the sensor and connect it to the computer through the transmission "
    "line.After the computer has installed the driver, click Identification Serial Port on "
    "the main interface and select.\n"
    "2、Communication parameters default to 115200, 8, None, and then open the serial port "
    "to communicate.");

// ---------------------------------------------------------------------------

// Records every lookup and translates nothing, so texts stay as written.
class RecordingTranslator : public QTranslator
{
public:
    struct Call
    {
        QString context;
        QString source;
        bool disambiguated;
        int n;
    };
    mutable QVector<Call> calls;

    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override
    {
        calls.append({QString::fromUtf8(context), QString::fromUtf8(sourceText),
                      disambiguation != nullptr, n});
        return QString();
    }
    bool isEmpty() const override { return false; }
};

QString captionOf(const QObject *object)
{
    if (auto *box = qobject_cast<const QGroupBox *>(object))
        return box->title();
    if (auto *menu = qobject_cast<const QMenu *>(object))
        return menu->title();
    if (auto *edit = qobject_cast<const QPlainTextEdit *>(object))
        return edit->toPlainText();
    if (auto *edit = qobject_cast<const QTextEdit *>(object))
        return edit->toPlainText();
    return object->property("text").toString();
}

// Parent as the form names it: the widget of a scroll area sits in the scroll
// area's viewport, which the form does not name.
QObject *formParent(const QObject *object)
{
    QObject *parent = object->parent();
    if (parent && parent->objectName() == QLatin1String("qt_scrollarea_viewport"))
        return parent->parent();
    return parent;
}

// The children of `object` in the order they were made: a stacked widget's
// pages by index (it raises the current one), a scroll area's widget in its
// viewport.
QObjectList childrenInOrder(QObject *object)
{
    if (auto *stack = qobject_cast<QStackedWidget *>(object)) {
        QObjectList pages;
        for (int i = 0; i < stack->count(); ++i)
            pages << stack->widget(i);
        return pages;
    }
    if (auto *area = qobject_cast<QScrollArea *>(object))
        return area->viewport()->children();
    return object->children();
}

QString layoutCode(const QLayout *layout)
{
    const QByteArray cls = layout->metaObject()->className();
    if (cls == "QVBoxLayout")
        return "V";
    if (cls == "QHBoxLayout")
        return "H";
    return QString::fromLatin1(cls);
}

QString describe(QLayoutItem *item)
{
    if (QLayout *layout = item->layout()) {
        QStringList parts;
        for (int i = 0; i < layout->count(); ++i)
            parts << describe(layout->itemAt(i));
        return layoutCode(layout) + "[" + parts.join(' ') + "]";
    }
    if (QWidget *widget = item->widget())
        return widget->objectName();
    if (item->spacerItem())
        return "~";
    return "?";
}

void collectSpacers(QLayout *layout, QList<QSpacerItem *> &into)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (QLayout *child = item->layout())
            collectSpacers(child, into);
        else if (QSpacerItem *spacer = item->spacerItem())
            into << spacer;
    }
}

// The two fields that change with every frame draw the platform's font
// without shaping; the window sets that, not the form.
const QStringList kUnshaped{"plainTextEdit", "lineEdit_D"};

// ---------------------------------------------------------------------------
// The form as uic reads it.

struct FormValue
{
    QString type; // rect, size, font, string, number, bool, enum, set
    QVariant value; // a font as its parts (family, pointsize, ...)
    bool translated = true;
};

// A <widget>, <action>, <layout> or <spacer> of the form.
struct FormNode
{
    QString tag, className, name;
    QMap<QString, FormValue> properties, attributes;
    QStringList items; // a combo box's
    QStringList actions; // its <addaction>s
    QList<FormNode> children; // child widgets and actions, its layout, a layout's items
};

FormValue readValue(QXmlStreamReader &xml)
{
    FormValue v;
    if (!xml.readNextStartElement())
        return v;
    v.type = xml.name().toString();
    v.translated = xml.attributes().value(QLatin1String("notr")) != QLatin1String("true");
    if (v.type == "rect" || v.type == "size" || v.type == "font") {
        QVariantMap parts;
        while (xml.readNextStartElement())
            parts.insert(xml.name().toString(), xml.readElementText());
        const auto n = [&](const char *part) { return parts.value(part).toInt(); };
        v.value = v.type == "rect"   ? QVariant(QRect(n("x"), n("y"), n("width"), n("height")))
                  : v.type == "size" ? QVariant(QSize(n("width"), n("height")))
                                     : QVariant(parts);
    } else {
        const QString text = xml.readElementText();
        v.value = v.type == "number" ? QVariant(text.toInt())
                  : v.type == "bool" ? QVariant(text == "true")
                                     : QVariant(text);
    }
    xml.skipCurrentElement();
    return v;
}

FormNode readNode(QXmlStreamReader &xml)
{
    const auto attribute = [&](const char *name) {
        return xml.attributes().value(QLatin1String(name)).toString();
    };
    FormNode node{xml.name().toString(), attribute("class"), attribute("name"), {}, {}, {}, {}, {}};
    while (xml.readNextStartElement()) {
        const QString tag = xml.name().toString(), name = attribute("name");
        if (tag == "property" || tag == "attribute") {
            (tag == "property" ? node.properties : node.attributes).insert(name, readValue(xml));
        } else if (tag == "addaction") {
            node.actions << name;
            xml.skipCurrentElement();
        } else if (tag == "item") {
            // A combo box's item holds its text; a layout's, one widget,
            // layout or spacer.
            xml.readNextStartElement();
            if (node.tag == "widget")
                node.items << readValue(xml).value.toString();
            else
                node.children << readNode(xml);
            xml.skipCurrentElement();
        } else if (tag == "widget" || tag == "action" || tag == "layout" || tag == "spacer") {
            node.children << readNode(xml);
        } else {
            xml.skipCurrentElement();
        }
    }
    return node;
}

// The form's widgets and actions by name, each with the widgets and actions
// it is the parent of, in the order uic creates them (the window's actions
// first).
struct Form
{
    FormNode window;
    QHash<QString, const FormNode *> nodes;
    QHash<QString, QString> parents;
    QHash<QString, QStringList> actions, widgets; // by parent

    QStringList childrenOf(const QString &name) const
    {
        return actions.value(name) + widgets.value(name);
    }

    bool read(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        QXmlStreamReader xml(&file);
        while (xml.readNextStartElement() && xml.name() != QLatin1String("widget"))
            if (xml.name() != QLatin1String("ui"))
                xml.skipCurrentElement();
        window = readNode(xml);
        index(window, window);
        return !xml.hasError() && window.className == "QMainWindow";
    }

    void index(const FormNode &node, const FormNode &parent)
    {
        if (node.tag == "widget" || node.tag == "action") {
            nodes.insert(node.name, &node);
            parents.insert(node.name, parent.name);
            if (&node != &window)
                (node.tag == "action" ? actions : widgets)[parent.name] << node.name;
        }
        for (const FormNode &child : node.children)
            index(child, node.tag == "layout" ? parent : node);
    }

    const FormNode *layoutOf(const QString &name) const
    {
        for (const FormNode &child : nodes.value(name)->children)
            if (child.tag == "layout")
                return &child;
        return nullptr;
    }
};

int enumValue(const QMetaEnum &type, const QString &keys)
{
    return type.keysToValue(keys.toLatin1().constData());
}

// How `object`'s `property` differs from what the form sets; empty if not.
QString differs(QObject *object, const QString &property, const FormValue &expected)
{
    const QMetaObject *meta = object->metaObject();
    const QMetaProperty p = meta->property(meta->indexOfProperty(property.toLatin1().constData()));
    if (!p.isValid())
        return "no such property";
    QVariant actual = p.read(object);
    QVariant wanted = expected.value;
    if (p.isEnumType()) {
        actual = actual.toInt();
        wanted = enumValue(p.enumerator(), expected.value.toString());
    } else if (expected.type == "font") {
        // The weight's scale differs between Qt 5 and 6; bold says it.
        const QFont font = actual.value<QFont>();
        actual = QVariantMap{{"family", font.family()},
                             {"pointsize", QString::number(font.pointSize())},
                             {"bold", QVariant(font.bold()).toString()},
                             {"italic", QVariant(font.italic()).toString()},
                             {"weight", expected.value.toMap().value("weight")}};
    } else if (actual.userType() == qMetaTypeId<QKeySequence>()) {
        actual = actual.value<QKeySequence>().toString(QKeySequence::PortableText);
    } else if (property == "geometry" && object->isWidgetType() &&
               static_cast<QWidget *>(object)->isWindow()) {
        actual = static_cast<QWidget *>(object)->rect(); // the window manager places it
    }
    if (actual == wanted)
        return QString();
    QString shown;
    QDebug(&shown) << actual << "instead of" << wanted;
    return shown;
}

// Where the box layout `item` differs from the form's `node`; empty if not.
QString layoutDiffers(const FormNode &node, QLayoutItem *item)
{
    const QString at = node.name.isEmpty() ? node.tag : node.name;
    if (node.tag == "widget")
        return item->widget() && item->widget()->objectName() == node.name ? QString() : at;
    if (node.tag == "spacer") {
        // Expanding unless the form says otherwise, as uic has it.
        const QString type = node.properties.value("sizeType").value.toString();
        const int policy = enumValue(QMetaEnum::fromType<QSizePolicy::Policy>(),
                                     type.isEmpty() ? "Expanding" : type);
        const bool horizontal = node.properties.value("orientation").value == "Qt::Horizontal";
        const QSpacerItem *spacer = item->spacerItem();
        const bool same =
            spacer && spacer->sizeHint() == node.properties.value("sizeHint").value.toSize() &&
            policy == (horizontal ? spacer->sizePolicy().horizontalPolicy()
                                  : spacer->sizePolicy().verticalPolicy());
        return same ? QString() : at;
    }
    QLayout *layout = item->layout();
    if (!layout || node.className != layout->metaObject()->className() ||
        node.name != layout->objectName() || layout->count() != node.children.size())
        return at;
    const QMargins margins = layout->contentsMargins();
    const QHash<QString, int> settings{{"spacing", layout->spacing()},
                                       {"leftMargin", margins.left()},
                                       {"topMargin", margins.top()},
                                       {"rightMargin", margins.right()},
                                       {"bottomMargin", margins.bottom()}};
    for (auto it = node.properties.cbegin(); it != node.properties.cend(); ++it)
        if (settings.value(it.key(), -1) != it.value().value.toInt())
            return at + " " + it.key();
    for (int i = 0; i < layout->count(); ++i) {
        const QString inner = layoutDiffers(node.children.at(i), layout->itemAt(i));
        if (!inner.isEmpty())
            return at + " > " + inner;
    }
    return QString();
}

} // namespace

class TestWidgetTree : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    // Main window
    void window();
    void objects_data();
    void objects();
    void asInForm_data();
    void asInForm();
    void translationPass();
    void comboItems_data();
    void comboItems();
    void linePresetsAgree();
    void placement_data();
    void placement();
    void visibleArea();
    void unshapedFields();
    void nothingElse();
    void layoutCounts();
    void menus();
    void textsFit();
    void accessibleNames();

    // Help window
    void helpTree();
    void helpTexts();

private:
    template <typename T = QWidget> T *widget(const char *name) const
    {
        return mainWindow->findChild<T *>(QString::fromLatin1(name));
    }

    RecordingTranslator recorder;
    QVector<RecordingTranslator::Call> setupCalls;
    Searial *mainWindow = nullptr;
    Form form;
};

void TestWidgetTree::initTestCase()
{
    QVERIFY(form.read(":/Searial.ui"));
    QVERIFY(QCoreApplication::installTranslator(&recorder));
    mainWindow = new Searial;
    setupCalls = recorder.calls;
}

void TestWidgetTree::cleanupTestCase()
{
    delete mainWindow;
    mainWindow = nullptr;
    QCoreApplication::removeTranslator(&recorder);
}

// ---------------------------------------------------------------------------
// Main window

void TestWidgetTree::window()
{
    QCOMPARE(mainWindow->metaObject()->className(), "Searial");
    QCOMPARE(mainWindow->objectName(), QString("Searial"));
    QCOMPARE(mainWindow->windowTitle(), QString("Searial"));
    QCOMPARE(mainWindow->size(), QSize(825, 560));
    QVERIFY(mainWindow->testAttribute(Qt::WA_SetLayoutDirection));
    QCOMPARE(mainWindow->layoutDirection(), Qt::LeftToRight);
    QCOMPARE(mainWindow->centralWidget(), widget("centralWidget"));
    auto *pages = widget<QStackedWidget>("stackedWidget");
    QVERIFY(pages->count() == 3 && pages->currentWidget() == widget("page_2"));
    QVERIFY(mainWindow->styleSheet().isEmpty());
    QVERIFY(!widget<QCheckBox>("checkBox")->isChecked());

    // It cannot be enlarged or shrunk.
    mainWindow->resize(1000, 700);
    QCOMPARE(mainWindow->size(), QSize(825, 560));
    mainWindow->resize(400, 300);
    QCOMPARE(mainWindow->size(), QSize(825, 560));
}

void TestWidgetTree::objects_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("text"); // null: no text
    QTest::addColumn<QStringList>("before"); // the parent's objects made before it
    QHash<QString, QStringList> made;
    for (const Node &node : kTree) {
        QTest::newRow(node.name) << node.name << node.className << node.parent
                                 << (node.text ? QString::fromUtf8(node.text) : QString())
                                 << made[node.parent];
        made[node.parent] << node.name;
    }
}

void TestWidgetTree::objects()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parent);
    QFETCH(QString, text);
    QFETCH(QStringList, before);

    const QList<QObject *> found = mainWindow->findChildren<QObject *>(name);
    QCOMPARE(found.size(), 1);
    QObject *object = found.first();
    QCOMPARE(QString(object->metaObject()->className()), className);
    QCOMPARE(formParent(object)->objectName(), parent);
    if (!text.isNull())
        QCOMPARE(captionOf(object), text);
    QStringList made;
    for (QObject *sibling : childrenInOrder(formParent(object))) {
        if (sibling == object)
            break;
        if (std::any_of(std::begin(kTree), std::end(kTree),
                        [&](const Node &node) { return sibling->objectName() == node.name; }))
            made << sibling->objectName();
    }
    QCOMPARE(made, before);
}

void TestWidgetTree::asInForm_data()
{
    QTest::addColumn<QString>("name");
    QStringList names{form.window.name};
    for (int i = 0; i < names.size(); ++i)
        names << form.childrenOf(names.at(i));
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << name;
}

// Each widget and action of the form, in the window.
void TestWidgetTree::asInForm()
{
    QFETCH(QString, name);
    const FormNode &node = *form.nodes.value(name);

    const bool isWindow = &node == &form.window;
    const QList<QObject *> found =
        isWindow ? QList<QObject *>{mainWindow} : mainWindow->findChildren<QObject *>(name);
    QCOMPARE(found.size(), 1);
    QObject *object = found.first();
    if (!isWindow) {
        QCOMPARE(object->metaObject()->className(),
                 qPrintable(node.tag == "action" ? "QAction" : node.className));
        QCOMPARE(formParent(object)->objectName(), form.parents.value(name));
    }

    QStringList named;
    for (QObject *child : childrenInOrder(object))
        if (form.nodes.contains(child->objectName()))
            named << child->objectName();
    QCOMPARE(named, form.childrenOf(name));

    for (auto it = node.properties.cbegin(); it != node.properties.cend(); ++it) {
        const QString difference = differs(object, it.key(), it.value());
        QVERIFY2(difference.isEmpty(), qPrintable(it.key() + ": " + difference));
    }

    if (auto *combo = qobject_cast<QComboBox *>(object)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        QCOMPARE(items, node.items);
    }
    // A menu's entry in the bar is its menu action.
    if (qobject_cast<QMenu *>(object) || qobject_cast<QMenuBar *>(object) ||
        qobject_cast<QToolBar *>(object)) {
        QList<QAction *> actions;
        for (const QString &entry : node.actions) {
            QObject *added = mainWindow->findChild<QObject *>(entry);
            auto *menu = qobject_cast<QMenu *>(added);
            actions << (menu ? menu->menuAction() : qobject_cast<QAction *>(added));
        }
        QCOMPARE(static_cast<QWidget *>(object)->actions(), actions);
    }
    if (auto *toolBar = qobject_cast<QToolBar *>(object)) {
        const QString area = node.attributes.value("toolBarArea").value.toString();
        QCOMPARE(int(mainWindow->toolBarArea(toolBar)),
                 enumValue(QMetaEnum::fromType<Qt::ToolBarArea>(), area));
        QCOMPARE(mainWindow->toolBarBreak(toolBar),
                 node.attributes.value("toolBarBreak").value.toBool());
    }

    // Where the form sets nothing, the toolkit's default.
    auto *w = qobject_cast<QWidget *>(object);
    if (!w)
        return;
    QVERIFY(w->styleSheet().isEmpty());
    if (!node.properties.contains("minimumSize"))
        QCOMPARE(w->minimumSize(), QSize(0, 0));
    if (!node.properties.contains("maximumSize"))
        QCOMPARE(w->maximumSize(), QSize(kMax, kMax));
    if (!node.properties.contains("font") && !kUnshaped.contains(name))
        QVERIFY(!w->testAttribute(Qt::WA_SetFont));
    if (!node.properties.contains("alignment") && qobject_cast<QLabel *>(w))
        QCOMPARE(static_cast<QLabel *>(w)->alignment(), QLabel().alignment());
    // Nothing starts disabled, hidden (but the pages behind the current one
    // and the closed menus) or read-only, whatever the form says.
    QVERIFY(w->isEnabled());
    QVERIFY(!w->isHidden() || w->isWindow() || qobject_cast<QStackedWidget *>(w->parentWidget()));
    QVERIFY(!w->property("readOnly").toBool());
    if (const FormNode *layout = form.layoutOf(name)) {
        QVERIFY(w->layout());
        QCOMPARE(layoutDiffers(*layout, w->layout()), QString());
    } else if (node.className == "QWidget" || node.className == "QGroupBox") {
        QVERIFY(!w->layout());
    }
}

// Every text goes through the context "Searial", without disambiguation and
// with count -1: the window title, then the texts in creation order, each
// combo box's items in its place, a tool tip before the text it explains.
void TestWidgetTree::translationPass()
{
    QStringList expected{"Searial"};
    for (const Node &node : kTree) {
        const FormNode *inForm = form.nodes.value(node.name);
        const FormValue tip = inForm ? inForm->properties.value("toolTip") : FormValue();
        if (tip.translated && !tip.value.isNull())
            expected << tip.value.toString();
        if (node.text && *node.text)
            expected << QString::fromUtf8(node.text);
        for (const Combo &combo : kCombos)
            if (qstrcmp(combo.name, node.name) == 0)
                expected << combo.items;
    }

    QStringList actual;
    for (const RecordingTranslator::Call &call : setupCalls) {
        if (call.context != QLatin1String("Searial"))
            continue;
        QVERIFY2(!call.disambiguated, qPrintable(call.source));
        QCOMPARE(call.n, -1);
        actual << call.source;
    }
    QCOMPARE(actual, expected);
}

void TestWidgetTree::comboItems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("currentIndex");
    for (const Combo &combo : kCombos)
        QTest::newRow(combo.name) << combo.name << combo.items << combo.currentIndex;
}

void TestWidgetTree::comboItems()
{
    QFETCH(QString, name);
    QFETCH(QStringList, items);
    QFETCH(int, currentIndex);

    auto *combo = mainWindow->findChild<QComboBox *>(name);
    QVERIFY(combo);
    QStringList actual;
    for (int i = 0; i < combo->count(); ++i)
        actual << combo->itemText(i);
    QCOMPARE(actual, items);
    QCOMPARE(combo->currentIndex(), currentIndex);
    QCOMPARE(combo->currentText(), items.value(currentIndex));
    QVERIFY(!combo->isEditable());
}

void TestWidgetTree::linePresetsAgree()
{
    auto *link = widget<QComboBox>("cmb_baud_rate");
    auto *sensor = widget<QComboBox>("cmb_set_baud_rate");
    QVERIFY(link && sensor);
    QCOMPARE(link->count(), protocol::kLinePresetCount);
    QCOMPARE(sensor->count(), protocol::kLinePresetCount);
    for (int i = 0; i < protocol::kLinePresetCount; ++i) {
        QCOMPARE(link->itemText(i), sensor->itemText(i));
        // What the item says is what Open and "ut+N" use: "speed、bits、parity",
        // separated by the ideographic comma U+3001.
        const protocol::LinePreset &preset = protocol::kLinePresets[i];
        const QString parity = preset.parity == 'E' ? "Even" : "None";
        QCOMPARE(link->itemText(i),
                 QString("%1、%2、%3").arg(preset.baudRate).arg(preset.dataBits).arg(parity));
    }
}

void TestWidgetTree::placement_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("maximum");
    for (const Placement &p : kPlacements)
        QTest::newRow(p.name) << p.name << p.rect << p.minimum << p.maximum;
}

void TestWidgetTree::placement()
{
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    QFETCH(QSize, minimum);
    QFETCH(QSize, maximum);
    QWidget *w = mainWindow->findChild<QWidget *>(name);
    QVERIFY(w);
    if (rect.isValid())
        QCOMPARE(w->geometry(), rect);
    QCOMPARE(w->minimumSize(), minimum);
    QCOMPARE(w->maximumSize(), maximum);
}

// Only the top 429 pixels of a page show; every group box lies within them
// except the last 2 pixels of "Switching Quantity Setting".
void TestWidgetTree::visibleArea()
{
    QCOMPARE(widget("scrollAreaWidgetContents")->height(), 429);
    for (const char *name : {"groupBox_4", "groupBox_9", "groupBox_10", "groupBox_5", "groupBox_6",
                             "groupBox_7", "groupBox", "layoutWidget1"}) {
        const QRect r = widget(name)->geometry();
        QVERIFY2(r.y() + r.height() <= 429, name);
    }
    const QRect last = widget("groupBox_8")->geometry();
    QCOMPARE(last.y() + last.height(), 431);
}

void TestWidgetTree::unshapedFields()
{
    for (const QString &name : kUnshaped) {
        QWidget *w = mainWindow->findChild<QWidget *>(name);
        QFont platform = QApplication::font(w);
        platform.setStyleStrategy(
            QFont::StyleStrategy(platform.styleStrategy() | QFont::PreferNoShaping));
        QCOMPARE(w->font().toString(), platform.toString());
        QVERIFY(w->font().styleStrategy() & QFont::PreferNoShaping);
    }
}

// Every named widget and action of the window is in the table: nothing is
// added to the tree in code. Objects the toolkit makes inside its own widgets
// (viewports, menu actions) have no name or one starting with "qt_".
void TestWidgetTree::nothingElse()
{
    QSet<QString> names, classes;
    for (const Node &node : kTree) {
        names << node.name;
        classes << node.className;
    }
    for (QObject *object : mainWindow->findChildren<QObject *>()) {
        const QString name = object->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")) &&
            classes.contains(object->metaObject()->className()))
            QVERIFY2(names.contains(name), qPrintable(name));
    }
}

// The holder's box layouts, 30 vertical and 27 horizontal, with thirteen
// horizontal spacers among them (the page bar's 80 x 20, the others 40 x 20);
// the status bar's own boxes are not the tree's.
void TestWidgetTree::layoutCounts()
{
    QWidget *statusBar = widget("statusBar");
    int vertical = 0, horizontal = 0;
    QList<QSpacerItem *> spacers;
    for (QLayout *layout : mainWindow->findChildren<QLayout *>()) {
        QWidget *owner = layout->parentWidget();
        if (owner == statusBar || statusBar->isAncestorOf(owner))
            continue;
        const QByteArray cls = layout->metaObject()->className();
        vertical += cls == "QVBoxLayout";
        horizontal += cls == "QHBoxLayout";
        if (owner->layout() == layout && cls != "QMainWindowLayout")
            collectSpacers(layout, spacers);
    }
    QCOMPARE(vertical, 30);
    QCOMPARE(horizontal, 27);
    QCOMPARE(spacers.size(), 13);
    for (QSpacerItem *spacer : spacers) {
        const bool pageBar = widget("layoutWidget2")->layout()->indexOf(spacer) >= 0;
        QCOMPARE(spacer->sizeHint(), pageBar ? QSize(80, 20) : QSize(40, 20));
        QCOMPARE(spacer->expandingDirections(), Qt::Horizontal);
    }
}

void TestWidgetTree::menus()
{
    QCOMPARE(mainWindow->menuBar(), widget<QMenuBar>("menuBar"));
    QCOMPARE(mainWindow->statusBar(), widget<QStatusBar>("statusBar"));
    QVERIFY(widget<QStatusBar>("statusBar")->currentMessage().isEmpty());
    QVERIFY(widget<QToolBar>("mainToolBar")->actions().isEmpty());
    for (const char *name : {"action_exit", "action_version", "action_help"}) {
        auto *action = mainWindow->findChild<QAction *>(name);
        QVERIFY(action->shortcut().isEmpty());
        QVERIFY(action->icon().isNull());
        QCOMPARE(action->toolTip(), action->text()); // no tool tip of its own
    }
}

// Every caption on every page is whole: no text is wider than the widget that
// shows it. Run at 100 % (off screen too, as pictures are taken there) and, on an X screen of 120, 144 and 192 dpi, at 125,
// 150 and 200 %, where Qt 5 without scaling cut them off.
void TestWidgetTree::textsFit()
{
    // The screen's DPI comes from its size in millimetres, hence the tolerance.
    if (qEnvironmentVariableIsSet("ORV_EXPECT_SCALE")) {
        const qreal scale = mainWindow->devicePixelRatioF();
        QVERIFY2(qAbs(scale - qEnvironmentVariable("ORV_EXPECT_SCALE").toDouble()) < 0.01,
                 qPrintable(QString("scaled by %1").arg(scale)));
    }
    auto *pages = widget<QStackedWidget>("stackedWidget");
    const int shown = pages->currentIndex();
    mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(mainWindow));
    QStringList cut;
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QCoreApplication::processEvents();
        for (const QString &caption : WidgetReport::cutCaptions(mainWindow))
            cut << QString("page %1, %2").arg(page).arg(caption);
    }
    pages->setCurrentIndex(shown);
    mainWindow->hide();
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
}

// What a screen reader announces: every control that takes the focus, and
// the chart's plot, has a name; those without a caption of their own (the
// fields, the display, the Send box, the plot) a description as well.
void TestWidgetTree::accessibleNames()
{
    measure::Recorder recorder;
    chart::ChartWindow chart(&recorder, nullptr);
    int checked = 0;
    for (QWidget *window : {static_cast<QWidget *>(mainWindow), static_cast<QWidget *>(&chart)}) {
        for (QWidget *w : window->findChildren<QWidget *>()) {
            const bool field = qobject_cast<QLineEdit *>(w) || qobject_cast<QTextEdit *>(w) ||
                               qobject_cast<QPlainTextEdit *>(w) || w == chart.plot();
            if (!(w->focusPolicy() & Qt::TabFocus) && !field)
                continue;
            QAccessibleInterface *node = QAccessible::queryAccessibleInterface(w);
            QVERIFY2(node, qPrintable(w->objectName()));
            QVERIFY2(!node->text(QAccessible::Name).trimmed().isEmpty(),
                     qPrintable(w->objectName()));
            if (field)
                QVERIFY2(!node->text(QAccessible::Description).trimmed().isEmpty(),
                         qPrintable(w->objectName()));
            ++checked;
        }
    }
    // 46 controls on the three pages and the page bar, 10 in the chart.
    QCOMPARE(checked, 56);
}

// ---------------------------------------------------------------------------
// Help window

void TestWidgetTree::helpTree()
{
    help window;
    QCOMPARE(window.metaObject()->className(), "help");
    QCOMPARE(window.metaObject()->superClass(), &QMainWindow::staticMetaObject);
    QCOMPARE(window.objectName(), QString("help"));
    QCOMPARE(window.size(), QSize(499, 252));
    QCOMPARE(window.minimumSize(), QSize(0, 0)); // resizable
    QCOMPARE(window.maximumSize(), QSize(kMax, kMax));

    struct HelpNode
    {
        const char *name;
        const char *className;
        const char *parent;
    };
    const HelpNode nodes[] = {
        {"centralwidget", "QWidget", "help"},
        {"groupBox", "QGroupBox", "centralwidget"},
        {"plainTextEdit", "QPlainTextEdit", "groupBox"},
        {"menubar", "QMenuBar", "help"},
        {"statusbar", "QStatusBar", "help"},
    };
    for (const HelpNode &node : nodes) {
        QWidget *w = window.findChild<QWidget *>(node.name);
        QVERIFY2(w, node.name);
        QCOMPARE(w->metaObject()->className(), node.className);
        QCOMPARE(w->parentWidget()->objectName(), QString(node.parent));
    }

    auto *central = window.findChild<QWidget *>("centralwidget");
    auto *box = window.findChild<QGroupBox *>("groupBox");
    auto *text = window.findChild<QPlainTextEdit *>("plainTextEdit");
    auto *bar = window.findChild<QMenuBar *>("menubar");
    auto *status = window.findChild<QStatusBar *>("statusbar");
    QCOMPARE(window.centralWidget(), central);
    QCOMPARE(window.menuBar(), bar);
    QCOMPARE(window.statusBar(), status);

    QVERIFY(central->layout());
    QCOMPARE(central->layout()->objectName(), QString("verticalLayout_2"));
    QCOMPARE(describe(central->layout()), QString("V[groupBox]"));
    QVERIFY(box->layout());
    QCOMPARE(box->layout()->objectName(), QString("verticalLayout"));
    QCOMPARE(describe(box->layout()), QString("V[plainTextEdit]"));

    QCOMPARE(bar->geometry(), QRect(0, 0, 499, 26));
    QVERIFY(bar->actions().isEmpty());
    QVERIFY(status->currentMessage().isEmpty());
    QVERIFY(!text->isReadOnly());
    QVERIFY(window.styleSheet().isEmpty());
}

void TestWidgetTree::helpTexts()
{
    const int before = recorder.calls.size();
    help window;
    QCOMPARE(window.windowTitle(), QString("MainWindow"));
    QCOMPARE(window.findChild<QGroupBox *>("groupBox")->title(), QString());
    QCOMPARE(window.findChild<QPlainTextEdit *>("plainTextEdit")->toPlainText(), kHelpText);
    QVERIFY(!kHelpText.endsWith('\n'));
    QCOMPARE(kHelpText.count('\n'), 1);

    QStringList translated;
    for (int i = before; i < recorder.calls.size(); ++i)
        if (recorder.calls.at(i).context == QLatin1String("help"))
            translated << recorder.calls.at(i).source;
    QCOMPARE(translated, (QStringList{"MainWindow", kHelpText}));

    // Each window has its own copy of the text.
    help other;
    window.findChild<QPlainTextEdit *>("plainTextEdit")->setPlainText("edited");
    QCOMPARE(other.findChild<QPlainTextEdit *>("plainTextEdit")->toPlainText(), kHelpText);
}

// The window's own toolkit settings (scaling with the screen) before the
// application exists, so that a run on a high-DPI screen sees what the
// program does.
int main(int argc, char **argv)
{
    prepareToolkit();
    QApplication app(argc, argv);
    prepareFonts();
    TestWidgetTree test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_widgettree.moc"
