// SPDX-License-Identifier: GPL-3.0-or-later
// Widget trees of the main window and of the help window.
//
// A constructed `Searial` is examined through object names only, the way the
// slots reach the widgets: class, parent, order among siblings, texts,
// combo-box items, geometries and size limits, fonts, alignments, the box
// layouts with their spacers, the menus, and the texts' translation context.
// The tables below list the objects in creation order. Every control, here
// and in the distance chart, has a name in the accessibility tree.

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

// The settings page's distance fields are labelled "mm" but count 0.1 mm;
// their tooltips say so.
const char kTenthsTip[] = "in 0.1 mm, as the sensor counts: 2005 = 200.5 mm";
const char *const kTenthsFields[] = {"lineEdit_W_AD_D_min",  "lineEdit_W_AD_D_max",
                                     "lineEdit_W_DA_start",  "lineEdit_W_DA_stop",
                                     "lineEdit_W_DA_start2", "lineEdit_W_DA_stop2"};

bool isTenthsField(const char *name)
{
    for (const char *field : kTenthsFields)
        if (qstrcmp(field, name) == 0)
            return true;
    return false;
}

// Geometries (x, y, width, height) relative to the parent widget.
struct Geometry
{
    const char *name;
    QRect rect;
};

const Geometry kGeometries[] = {
    {"scrollArea", QRect(10, 50, 801, 451)},
    {"scrollAreaWidgetContents", QRect(0, 0, 778, 429)},
    {"stackedWidget", QRect(0, 0, 771, 501)},
    {"layoutWidget2", QRect(12, 0, 801, 44)},
    {"groupBox_4", QRect(239, 39, 301, 157)},
    {"groupBox_9", QRect(390, 200, 301, 157)},
    {"groupBox_10", QRect(106, 200, 281, 155)},
    {"groupBox_5", QRect(220, 0, 340, 103)},
    {"groupBox_6", QRect(110, 100, 253, 151)},
    {"groupBox_7", QRect(400, 100, 271, 151)},
    {"groupBox_8", QRect(130, 250, 521, 181)},
    {"groupBox", QRect(280, 10, 478, 401)},
    {"plainTextEdit", QRect(12, 18, 461, 281)},
    {"layoutWidget", QRect(10, 300, 461, 30)},
    {"lint_send_data", QRect(10, 340, 350, 59)},
    {"btn_send", QRect(370, 350, 93, 42)},
    {"layoutWidget1", QRect(13, 13, 271, 401)},
};

// Minimum and maximum sizes set by the form; every other named widget keeps
// the defaults (0 x 0 and QWIDGETSIZE_MAX x QWIDGETSIZE_MAX).
const int kMax = QWIDGETSIZE_MAX;
struct Limits
{
    const char *name;
    QSize minimum;
    QSize maximum;
};

const Limits kLimits[] = {
    {"btn_display", QSize(101, 41), QSize(101, 41)},
    {"btn_setting", QSize(101, 41), QSize(101, 41)},
    {"btn_query", QSize(101, 41), QSize(101, 41)},
    {"lint_send_data", QSize(350, 59), QSize(350, 59)},
    {"groupBox", QSize(0, 0), QSize(478, 491)},
    {"plainTextEdit", QSize(0, 0), QSize(kMax, 500)},
    {"lab_status", QSize(110, 0), QSize(kMax, kMax)},
};

// The box layouts, written V[...] / H[...] with their items in order; "~" is
// a spacer. Each group box's own layout is the outer V.
struct Structure
{
    const char *container;
    const char *layout;
};

const Structure kLayouts[] = {
    {"groupBox_4", "V[V[H[V[label_11 label_12 label_15] "
                   "V[lineEdit_R_list lineEdit_R_version_number lineEdit_R_data]] btn_R_ID]]"},
    {"groupBox_9", "V[V[V[H[label_18 label_19] "
                   "H[label_13 lineEdit_R_DA1_on lineEdit_R_DA1_off label_16] "
                   "H[label_14 lineEdit_R_DA2_on lineEdit_R_DA2_off label_17]] btn_R_DA]]"},
    {"groupBox_10", "V[V[H[V[label_4 label_5 label_6] "
                    "V[lineEdit_R_AD_I lineEdit_R_AD_D_min lineEdit_R_AD_D_max] "
                    "V[label_7 label_8 label_9]] btn_R_AD]]"},
    {"groupBox_5", "V[V[H[~ H[label_23 cmb_set_baud_rate] ~] "
                   "H[~ btn_set_baud_rate ~]]]"},
    {"groupBox_6", "V[V[H[label_25 com_set_Auto_M] "
                   "H[~ btn_set_Auto_M ~]]]"},
    {"groupBox_7",
     "V[V[H[V[label_26 label_27 label_28] "
     "V[cmb_set_AD_I H[lineEdit_W_AD_D_min label_29] H[lineEdit_W_AD_D_max label_30]]] "
     "H[~ btn_set_AD ~]]]"},
    {"groupBox_8", "V[V[H[~ cmb_set_DA_mode ~] "
                   "V[H[label_33 label_34] "
                   "H[H[label_31 lineEdit_W_DA_start label_35] H[lineEdit_W_DA_stop label_37]] "
                   "H[H[label_32 lineEdit_W_DA_start2 label_36] H[lineEdit_W_DA_stop2 label_38]]] "
                   "H[~ btn_set_DA ~]]]"},
    {"layoutWidget", "H[label_10 lineEdit_D label_21 btn_c btn_save btn_clear]"},
    {"layoutWidget1", "V[groupBox_2 groupBox_3]"},
    {"groupBox_2", "V[V[lab_status "
                   "H[V[label label_2] V[H[cmb_port_name btn_usart_number] cmb_baud_rate]] "
                   "checkBox btn_open]]"},
    {"groupBox_3", "V[V[btn_open_LD btn_td btn_tk btn_close_LD]]"},
    {"layoutWidget2", "H[btn_display btn_setting btn_query ~ label_22]"},
};

// Objects per class (exact class name), counted over the window.
struct Count
{
    const char *className;
    int count;
};

const Count kCounts[] = {
    {"QAction", 7},    {"QWidget", 8},   {"QScrollArea", 1},    {"QStackedWidget", 1},
    {"QGroupBox", 10}, {"QLabel", 36},   {"QLineEdit", 17},     {"QPushButton", 20},
    {"QComboBox", 6},  {"QCheckBox", 1}, {"QPlainTextEdit", 1}, {"QTextEdit", 1},
    {"QMenuBar", 1},   {"QMenu", 4},     {"QToolBar", 1},       {"QStatusBar", 1},
};

const char *const kCentredLabels[] = {"lab_status", "label",    "label_18",
                                      "label_19",   "label_33", "label_34"};

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

void collectLayouts(QLayout *layout, QList<QLayout *> &into)
{
    into << layout;
    for (int i = 0; i < layout->count(); ++i)
        if (QLayout *child = layout->itemAt(i)->layout())
            collectLayouts(child, into);
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

bool isTreeName(const QString &name)
{
    for (const Node &node : kTree)
        if (name == QLatin1String(node.name))
            return true;
    return false;
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
    void siblingOrder_data();
    void siblingOrder();
    void texts_data();
    void texts();
    void translationPass();
    void comboItems_data();
    void comboItems();
    void linePresetsAgree();
    void stackedPages();
    void scrollArea();
    void geometries_data();
    void geometries();
    void sizeLimits();
    void visibleArea();
    void fonts();
    void alignments();
    void classCounts_data();
    void classCounts();
    void layoutCounts();
    void layouts_data();
    void layouts();
    void layoutSettings();
    void spacers();
    void menus();
    void initialState();
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
    QList<QLayout *> holderLayouts() const;

    RecordingTranslator recorder;
    QVector<RecordingTranslator::Call> setupCalls;
    Searial *mainWindow = nullptr;
};

void TestWidgetTree::initTestCase()
{
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

QList<QLayout *> TestWidgetTree::holderLayouts() const
{
    QList<QLayout *> layouts;
    for (const Node &node : kTree) {
        QWidget *host = widget(node.name);
        if (host && host->layout() && !qobject_cast<QStackedWidget *>(host) &&
            !qobject_cast<QMenuBar *>(host) && !qobject_cast<QToolBar *>(host) &&
            !qobject_cast<QStatusBar *>(host))
            collectLayouts(host->layout(), layouts);
    }
    return layouts;
}

// ---------------------------------------------------------------------------
// Main window

void TestWidgetTree::window()
{
    QCOMPARE(mainWindow->metaObject()->className(), "Searial");
    QCOMPARE(mainWindow->objectName(), QString("Searial"));
    QCOMPARE(mainWindow->windowTitle(), QString("Searial"));
    QCOMPARE(mainWindow->size(), QSize(825, 560));
    QCOMPARE(mainWindow->minimumSize(), QSize(825, 560));
    QCOMPARE(mainWindow->maximumSize(), QSize(825, 560));
    QVERIFY(mainWindow->testAttribute(Qt::WA_SetLayoutDirection));
    QCOMPARE(mainWindow->layoutDirection(), Qt::LeftToRight);
    QCOMPARE(mainWindow->centralWidget(), widget("centralWidget"));
    QVERIFY(mainWindow->centralWidget()->layout() == nullptr);

    // It cannot be enlarged or shrunk.
    mainWindow->resize(1000, 700);
    QCOMPARE(mainWindow->size(), QSize(825, 560));
    mainWindow->resize(400, 300);
    QCOMPARE(mainWindow->size(), QSize(825, 560));

    // No style sheet anywhere in the tree.
    QVERIFY(mainWindow->styleSheet().isEmpty());
    for (const Node &node : kTree)
        if (QWidget *w = widget(node.name))
            QVERIFY2(w->styleSheet().isEmpty(), node.name);
}

void TestWidgetTree::objects_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parent");
    for (const Node &node : kTree)
        QTest::newRow(node.name) << node.name << node.className << node.parent;
}

void TestWidgetTree::objects()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parent);

    const QList<QObject *> found = mainWindow->findChildren<QObject *>(name);
    QCOMPARE(found.size(), 1);
    QObject *object = found.first();
    QCOMPARE(QString(object->metaObject()->className()), className);

    QObject *actualParent = formParent(object);
    QVERIFY(actualParent);
    if (parent == QLatin1String("Searial"))
        QCOMPARE(actualParent, static_cast<QObject *>(mainWindow));
    else
        QCOMPARE(actualParent->objectName(), parent);
    if (object->isWidgetType() &&
        object != mainWindow->findChild<QWidget *>("scrollAreaWidgetContents"))
        QCOMPARE(static_cast<QObject *>(static_cast<QWidget *>(object)->parentWidget()),
                 actualParent);
}

// Named children of each parent appear in table order (= creation order).
void TestWidgetTree::siblingOrder_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QStringList>("expected");

    QStringList parents;
    QHash<QString, QStringList> children;
    for (const Node &node : kTree) {
        if (!parents.contains(node.parent))
            parents << node.parent;
        children[node.parent] << node.name;
    }
    for (const QString &parent : parents)
        QTest::newRow(qPrintable(parent)) << parent << children.value(parent);
}

void TestWidgetTree::siblingOrder()
{
    QFETCH(QString, parent);
    QFETCH(QStringList, expected);

    QObject *owner = parent == QLatin1String("Searial") ? static_cast<QObject *>(mainWindow)
                                                        : mainWindow->findChild<QObject *>(parent);
    QVERIFY(owner);
    if (auto *area = qobject_cast<QScrollArea *>(owner))
        owner = area->viewport();

    // A stacked widget raises its current page, which reorders its children;
    // there the order is the pages' index order.
    QObjectList children = owner->children();
    if (auto *stack = qobject_cast<QStackedWidget *>(owner)) {
        children.clear();
        for (int i = 0; i < stack->count(); ++i)
            children << stack->widget(i);
    }
    QStringList actual;
    for (QObject *child : children)
        if (isTreeName(child->objectName()))
            actual << child->objectName();
    QCOMPARE(actual, expected);
}

void TestWidgetTree::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    for (const Node &node : kTree)
        if (node.text)
            QTest::newRow(node.name) << node.name << QString::fromUtf8(node.text);
}

void TestWidgetTree::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QObject *object = mainWindow->findChild<QObject *>(name);
    QVERIFY(object);
    QCOMPARE(captionOf(object), text);
}

// Every text goes through the context "Searial", without disambiguation and
// with count -1: the window title, then the texts in creation order, each
// combo box's items in its place.
void TestWidgetTree::translationPass()
{
    QStringList expected{"Searial"};
    for (const Node &node : kTree) {
        // A tooltip is translated before the text it explains.
        if (isTenthsField(node.name)) {
            expected << kTenthsTip;
            QCOMPARE(mainWindow->findChild<QWidget *>(node.name)->toolTip(), QString(kTenthsTip));
        }
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

void TestWidgetTree::stackedPages()
{
    auto *stack = widget<QStackedWidget>("stackedWidget");
    QVERIFY(stack);
    QCOMPARE(stack->count(), 3);
    QCOMPARE(stack->widget(0)->objectName(), QString("page_3"));
    QCOMPARE(stack->widget(1)->objectName(), QString("page"));
    QCOMPARE(stack->widget(2)->objectName(), QString("page_2"));
    QCOMPARE(stack->currentIndex(), 2);
    QCOMPARE(stack->currentWidget(), widget("page_2"));
    for (const char *page : {"page_3", "page", "page_2"})
        QVERIFY2(widget(page)->layout() == nullptr, page);
    QVERIFY(widget("scrollAreaWidgetContents")->layout() == nullptr);
    QVERIFY(widget("groupBox")->layout() == nullptr);
}

void TestWidgetTree::scrollArea()
{
    auto *area = widget<QScrollArea>("scrollArea");
    QVERIFY(area);
    QCOMPARE(area->widget(), widget("scrollAreaWidgetContents"));
    QCOMPARE(area->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(area->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(area->widgetResizable(), false);
}

void TestWidgetTree::geometries_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    for (const Geometry &g : kGeometries)
        QTest::newRow(g.name) << g.name << g.rect;
}

void TestWidgetTree::geometries()
{
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    QWidget *w = mainWindow->findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(w->geometry(), rect);
}

void TestWidgetTree::sizeLimits()
{
    for (const Node &node : kTree) {
        QWidget *w = widget(node.name);
        if (!w)
            continue;
        QSize minimum(0, 0), maximum(kMax, kMax);
        for (const Limits &limits : kLimits)
            if (qstrcmp(limits.name, node.name) == 0) {
                minimum = limits.minimum;
                maximum = limits.maximum;
            }
        QVERIFY2(w->minimumSize() == minimum, node.name);
        QVERIFY2(w->maximumSize() == maximum, node.name);
    }
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

void TestWidgetTree::fonts()
{
    const QFont title = widget("label_22")->font();
    QCOMPARE(title.family(), QString("Arial Black"));
    QCOMPARE(title.pointSize(), 18);
    QCOMPARE(title.bold(), true);
    QCOMPARE(title.italic(), false);

    const QFont send = widget("btn_send")->font();
    QCOMPARE(send.family(), QString("新宋体"));
    QCOMPARE(send.pointSize(), 20);
    QCOMPARE(send.bold(), true);

    // Everything else keeps the platform's default font; the two fields that
    // change with every frame draw it without shaping.
    for (const Node &node : kTree) {
        QWidget *w = widget(node.name);
        if (!w || w->objectName() == "label_22" || w->objectName() == "btn_send")
            continue;
        if (w->objectName() == "plainTextEdit" || w->objectName() == "lineEdit_D") {
            QFont platform = QApplication::font(w);
            platform.setStyleStrategy(
                QFont::StyleStrategy(platform.styleStrategy() | QFont::PreferNoShaping));
            QCOMPARE(w->font().toString(), platform.toString());
            QVERIFY(w->font().styleStrategy() & QFont::PreferNoShaping);
            continue;
        }
        QVERIFY2(!w->testAttribute(Qt::WA_SetFont), node.name);
    }
}

void TestWidgetTree::alignments()
{
    const QList<QGroupBox *> boxes = mainWindow->findChildren<QGroupBox *>();
    QCOMPARE(boxes.size(), 10);
    for (QGroupBox *box : boxes)
        QVERIFY2(box->alignment() == Qt::AlignCenter, qPrintable(box->objectName()));

    const QList<QLineEdit *> edits = mainWindow->findChildren<QLineEdit *>();
    QCOMPARE(edits.size(), 17);
    for (QLineEdit *edit : edits)
        QVERIFY2(edit->alignment() == Qt::AlignCenter, qPrintable(edit->objectName()));

    QStringList centred;
    for (const char *name : kCentredLabels)
        centred << name;
    for (QLabel *label : mainWindow->findChildren<QLabel *>()) {
        const Qt::Alignment expected = centred.contains(label->objectName())
                                           ? Qt::Alignment(Qt::AlignCenter)
                                           : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter);
        QVERIFY2(label->alignment() == expected, qPrintable(label->objectName()));
    }
}

void TestWidgetTree::classCounts_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<int>("count");
    for (const Count &c : kCounts)
        QTest::newRow(c.className) << c.className << c.count;
}

// Objects the toolkit creates inside its own widgets (viewports, menu actions)
// have no object name or one starting with "qt_"; they are not the tree's.
void TestWidgetTree::classCounts()
{
    QFETCH(QString, className);
    QFETCH(int, count);

    int actual = 0;
    for (QObject *object : mainWindow->findChildren<QObject *>()) {
        const QString name = object->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
            continue;
        if (className == QLatin1String(object->metaObject()->className()))
            ++actual;
    }
    QCOMPARE(actual, count);

    int inTable = 0;
    for (const Node &node : kTree)
        inTable += className == QLatin1String(node.className);
    QCOMPARE(inTable, count);
}

// The holder's box layouts: 30 vertical and 27 horizontal, counted by exact
// class name. The window's own QMainWindowLayout, the stacked widget's
// QStackedLayout and the status bar's internal boxes are not the tree's.
void TestWidgetTree::layoutCounts()
{
    const QList<QLayout *> layouts = holderLayouts();
    int vertical = 0, horizontal = 0;
    for (QLayout *layout : layouts) {
        const QByteArray cls = layout->metaObject()->className();
        vertical += cls == "QVBoxLayout";
        horizontal += cls == "QHBoxLayout";
        QVERIFY2(cls == "QVBoxLayout" || cls == "QHBoxLayout", cls.constData());
        QVERIFY(!layout->objectName().isEmpty());
    }
    QCOMPARE(vertical, 30);
    QCOMPARE(horizontal, 27);

    // Cross-check over the whole window, leaving out the status bar's boxes.
    QWidget *statusBar = widget("statusBar");
    int allVertical = 0, allHorizontal = 0;
    for (QLayout *layout : mainWindow->findChildren<QLayout *>()) {
        QWidget *owner = layout->parentWidget();
        if (owner == statusBar || statusBar->isAncestorOf(owner))
            continue;
        const QByteArray cls = layout->metaObject()->className();
        allVertical += cls == "QVBoxLayout";
        allHorizontal += cls == "QHBoxLayout";
    }
    QCOMPARE(allVertical, 30);
    QCOMPARE(allHorizontal, 27);

    // Layout names are unique.
    QSet<QString> names;
    for (QLayout *layout : layouts)
        names.insert(layout->objectName());
    QCOMPARE(names.size(), layouts.size());
}

void TestWidgetTree::layouts_data()
{
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("layout");
    for (const Structure &s : kLayouts)
        QTest::newRow(s.container) << s.container << s.layout;
}

void TestWidgetTree::layouts()
{
    QFETCH(QString, container);
    QFETCH(QString, layout);
    QWidget *w = mainWindow->findChild<QWidget *>(container);
    QVERIFY(w);
    QVERIFY(w->layout());
    QCOMPARE(describe(w->layout()), layout);
}

// Group-box layouts: margins 11, spacing 6; every layout nested in them has
// spacing 6. Layout hosts: margins 0; spacing 6, the page bar 0.
void TestWidgetTree::layoutSettings()
{
    const QMargins eleven(11, 11, 11, 11), zero(0, 0, 0, 0);
    for (QGroupBox *box : mainWindow->findChildren<QGroupBox *>()) {
        if (box->objectName() == "groupBox")
            continue;
        QLayout *top = box->layout();
        QVERIFY2(top, qPrintable(box->objectName()));
        QCOMPARE(top->metaObject()->className(), "QVBoxLayout");
        QCOMPARE(top->contentsMargins(), eleven);
        QList<QLayout *> all;
        collectLayouts(top, all);
        for (QLayout *layout : all)
            QVERIFY2(layout->spacing() == 6, qPrintable(layout->objectName()));
    }

    struct Host
    {
        const char *name;
        const char *cls;
        int spacing;
    };
    for (const Host &host :
         {Host{"layoutWidget", "QHBoxLayout", 6}, Host{"layoutWidget1", "QVBoxLayout", 6},
          Host{"layoutWidget2", "QHBoxLayout", 0}}) {
        QLayout *layout = widget(host.name)->layout();
        QVERIFY2(layout, host.name);
        QCOMPARE(layout->metaObject()->className(), host.cls);
        QCOMPARE(layout->contentsMargins(), zero);
        QCOMPARE(layout->spacing(), host.spacing);
    }
}

// Thirteen horizontal spacers: 40 x 20, Expanding / Minimum; the page bar's
// is 80 x 20.
void TestWidgetTree::spacers()
{
    QList<QSpacerItem *> all;
    for (const Node &node : kTree) {
        QWidget *host = widget(node.name);
        if (host && host->layout() &&
            (qobject_cast<QGroupBox *>(host) || node.name == QByteArray("layoutWidget") ||
             node.name == QByteArray("layoutWidget1") || node.name == QByteArray("layoutWidget2")))
            collectSpacers(host->layout(), all);
    }
    QCOMPARE(all.size(), 13);

    QList<QSpacerItem *> pageBar;
    collectSpacers(widget("layoutWidget2")->layout(), pageBar);
    QCOMPARE(pageBar.size(), 1);

    for (QSpacerItem *spacer : all) {
        const QSize hint = spacer == pageBar.first() ? QSize(80, 20) : QSize(40, 20);
        QCOMPARE(spacer->sizeHint(), hint);
        QCOMPARE(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
        QCOMPARE(spacer->sizePolicy().verticalPolicy(), QSizePolicy::Minimum);
        QCOMPARE(spacer->expandingDirections(), Qt::Horizontal);
    }
}

void TestWidgetTree::menus()
{
    auto *bar = widget<QMenuBar>("menuBar");
    auto *file = widget<QMenu>("menu");
    auto *about = widget<QMenu>("menu_2");
    auto *exit = mainWindow->findChild<QAction *>("action_exit");
    auto *version = mainWindow->findChild<QAction *>("action_version");
    auto *help = mainWindow->findChild<QAction *>("action_help");
    auto *view = widget<QMenu>("menu_view");
    auto *chart = mainWindow->findChild<QAction *>("action_chart");
    QVERIFY(bar && file && about && exit && version && help && view && chart);

    auto *sensor = widget<QMenu>("menu_sensor");
    QVERIFY(sensor);
    // "file" and "About" as they always were, with "View" and "Sensor"
    // between them.
    QCOMPARE(mainWindow->menuBar(), bar);
    QCOMPARE(bar->actions(), (QList<QAction *>{file->menuAction(), view->menuAction(),
                                               sensor->menuAction(), about->menuAction()}));
    QCOMPARE(sensor->actions(),
             (QList<QAction *>{mainWindow->findChild<QAction *>("action_profile_save"),
                               mainWindow->findChild<QAction *>("action_profile_apply"),
                               mainWindow->findChild<QAction *>("action_profile_compare")}));
    QCOMPARE(file->actions(), QList<QAction *>{exit});
    QCOMPARE(about->actions(), (QList<QAction *>{version, help}));
    QCOMPARE(view->actions(), QList<QAction *>{chart});
    QCOMPARE(chart->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));

    for (QAction *action : {exit, version, help}) {
        QVERIFY(action->shortcut().isEmpty());
        QVERIFY(action->icon().isNull());
        QCOMPARE(action->toolTip(), action->text()); // no tool tip of its own
    }

    auto *toolBar = widget<QToolBar>("mainToolBar");
    QVERIFY(toolBar);
    QCOMPARE(mainWindow->toolBarArea(toolBar), Qt::TopToolBarArea);
    QVERIFY(toolBar->actions().isEmpty());

    auto *status = widget<QStatusBar>("statusBar");
    QCOMPARE(mainWindow->statusBar(), status);
    QVERIFY(status->currentMessage().isEmpty());
}

void TestWidgetTree::initialState()
{
    QCOMPARE(widget<QCheckBox>("checkBox")->isChecked(), false);

    // No widget is disabled, hidden or read-only (the two pages in the
    // background are hidden by the stacked widget only).
    for (const Node &node : kTree) {
        QWidget *w = widget(node.name);
        if (!w || qobject_cast<QMenu *>(w))
            continue;
        QVERIFY2(w->isEnabled(), node.name);
        QWidget *page = w;
        while (page->parentWidget() && !qobject_cast<QStackedWidget *>(page->parentWidget()) &&
               page->parentWidget() != mainWindow)
            page = page->parentWidget();
        QWidget *root = page->parentWidget() == mainWindow ? mainWindow : page;
        if (w != root)
            QVERIFY2(w->isVisibleTo(root), node.name);
    }
    for (QLineEdit *edit : mainWindow->findChildren<QLineEdit *>())
        QVERIFY2(!edit->isReadOnly(), qPrintable(edit->objectName()));
    QVERIFY(!widget<QPlainTextEdit>("plainTextEdit")->isReadOnly());
    QVERIFY(!widget<QTextEdit>("lint_send_data")->isReadOnly());
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
