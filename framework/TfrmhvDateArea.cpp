#include "TfrmhvDateArea.h"

#include "THVDateEdit.h"
#include "WindowFont.h"

#include <QFont>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

using namespace Qt::StringLiterals;


TfrmhvDateArea::TfrmhvDateArea(const UiServices& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_messages(services.messages)
    , m_clock(services.clock)
{
    setObjectName(u"frmhvDateArea"_s);
    setWindowTitle(u"日期期间"_s);
    setFont(windowFont());
    setFixedSize(250, 139);
    setSizeGripEnabled(false);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(u"GroupBox1"_s);
    GroupBox1->setGeometry(8, 2, 234, 90);

    Label1 = new QLabel(u"开始日期："_s, GroupBox1);
    Label1->setObjectName(u"Label1"_s);
    Label1->setGeometry(22, 23, 70, 16);
    D1 = new THVDateEdit(GroupBox1);
    D1->setObjectName(u"D1"_s);
    D1->setGeometry(94, 20, 124, 22);
    Label1->setBuddy(D1);

    Label2 = new QLabel(u"结束日期："_s, GroupBox1);
    Label2->setObjectName(u"Label2"_s);
    Label2->setGeometry(22, 56, 70, 16);
    D2 = new THVDateEdit(GroupBox1);
    D2->setObjectName(u"D2"_s);
    D2->setGeometry(94, 53, 124, 22);
    Label2->setBuddy(D2);

    BitBtn1 = new QPushButton(u"保存(&A)"_s, this);
    BitBtn1->setObjectName(u"BitBtn1"_s);
    BitBtn1->setGeometry(44, 104, 75, 25);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(u"退出(&C)"_s, this);
    BitBtn2->setObjectName(u"BitBtn2"_s);
    BitBtn2->setGeometry(132, 104, 75, 25);

    connect(BitBtn1, &QPushButton::clicked, this, &TfrmhvDateArea::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TfrmhvDateArea::BitBtn2Click);
}

void TfrmhvDateArea::setDateTexts(QString& start, QString& end)
{
    m_start = &start;
    m_end = &end;
}

void TfrmhvDateArea::centreOver(const QWidget* window)
{
    QRect area;
    if (window)
        area = window->frameGeometry();
    else if (const QScreen* screen = this->screen())
        area = screen->availableGeometry();
    else
        return;
    QRect placed(QPoint(0, 0), size());
    placed.moveCenter(area.center());
    move(placed.topLeft());
}

void TfrmhvDateArea::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TfrmhvDateArea::keyPressEvent(QKeyEvent* event)
{
    // Esc works the exit button.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        BitBtn2->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmhvDateArea::FormShow()
{
    const QDate today = m_clock->today();
    if (m_start->isEmpty())
        *m_start = today.toString(u"yyyy-MM") + u"-01"_s;
    if (m_end->isEmpty())
        *m_end = QDate(today.year(), today.month(), 1).addMonths(1).addDays(-1).toString(u"yyyy-MM-dd");
    D1->setText(*m_start);
    D2->setText(*m_end);
    // From here on every way out but saving returns two empty texts.
    m_start->clear();
    m_end->clear();
}

void TfrmhvDateArea::BitBtn1Click()
{
    D1->commitText();
    D2->commitText();
    const auto refuse = [this](THVDateEdit* editor, const QString& message) {
        m_messages->showError(this, message);
        editor->selectAll();
        editor->setFocus();
    };
    if (D1->text().isEmpty())
        return refuse(D1, u"【开始日期】不能为空"_s);
    if (D1->holdsTypedNoDate())
        return refuse(D1, u"【开始日期】的值“%1”不是有效的日期"_s.arg(D1->text()));
    if (D2->text().isEmpty())
        return refuse(D2, u"【结束日期】不能为空"_s);
    if (D2->holdsTypedNoDate())
        return refuse(D2, u"【结束日期】的值“%1”不是有效的日期"_s.arg(D2->text()));
    *m_start = D1->text();
    *m_end = D2->text();
    accept();
}

void TfrmhvDateArea::BitBtn2Click()
{
    m_start->clear();
    m_end->clear();
    reject();
}
