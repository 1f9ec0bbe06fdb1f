#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

// Asks for the kiosk PIN with a keypad a finger can use. It only collects the digits; the board
// decides whether they open the way.
class PinDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PinDialog(QWidget *parent = nullptr);

    QLineEdit *edit() const { return m_edit; }
    // A wrong PIN: the field is emptied and says so.
    void wrong();

signals:
    void entered(const QString &pin);

private:
    QLineEdit *m_edit;
    QLabel *m_message;
};
