#include "PinDialog.h"

#include "controls/Fonts.h"
#include "controls/XiButton.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

TXiButton *key(QWidget *parent, const QString &caption)
{
    auto *b = new TXiButton(parent);
    b->setCaption(caption);
    b->setColorScheme(TColorScheme::csGraySkin);
    b->setFixedSize(64, 48);
    return b;
}

} // namespace

PinDialog::PinDialog(QWidget *parent)
    : QDialog(parent)
    , m_edit(new QLineEdit(this))
    , m_message(new QLabel(QStringLiteral("Ange PIN"), this))
{
    setWindowTitle(QStringLiteral("Tavlix"));
    setFont(arialFont(15));
    m_edit->setEchoMode(QLineEdit::Password);
    m_edit->setAlignment(Qt::AlignCenter);
    auto *grid = new QGridLayout(this);
    m_message->setAlignment(Qt::AlignCenter);
    grid->addWidget(m_message, 0, 0, 1, 3);
    grid->addWidget(m_edit, 1, 0, 1, 3);
    for (int digit = 1; digit <= 9; ++digit) {
        TXiButton *b = key(this, QString::number(digit));
        grid->addWidget(b, 2 + (digit - 1) / 3, (digit - 1) % 3);
        connect(b, &TXiButton::OnClick, this,
                [this, digit] { m_edit->insert(QString::number(digit)); });
    }
    TXiButton *erase = key(this, QStringLiteral("⌫"));
    TXiButton *zero = key(this, QStringLiteral("0"));
    TXiButton *ok = key(this, QStringLiteral("OK"));
    ok->setColorScheme(TColorScheme::csGrassSkin);
    TXiButton *cancel = key(this, QStringLiteral("Avbryt"));
    cancel->setFixedWidth(3 * 64 + 2 * grid->horizontalSpacing());
    grid->addWidget(erase, 5, 0);
    grid->addWidget(zero, 5, 1);
    grid->addWidget(ok, 5, 2);
    grid->addWidget(cancel, 6, 0, 1, 3, Qt::AlignCenter);
    connect(erase, &TXiButton::OnClick, this, [this] { m_edit->backspace(); });
    connect(zero, &TXiButton::OnClick, this, [this] { m_edit->insert(QStringLiteral("0")); });
    connect(ok, &TXiButton::OnClick, this, [this] { emit entered(m_edit->text()); });
    connect(m_edit, &QLineEdit::returnPressed, this, [this] { emit entered(m_edit->text()); });
    connect(cancel, &TXiButton::OnClick, this, &QDialog::reject);
}

void PinDialog::wrong()
{
    m_edit->clear();
    m_message->setText(QStringLiteral("Fel PIN, försök igen"));
}
