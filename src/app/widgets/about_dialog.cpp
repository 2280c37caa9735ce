#include "app/widgets/about_dialog.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace shutterhand {

namespace {

QFrame* bevelLine(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

TFormInfo::TFormInfo(const QString& title, const QString& closeText, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TFormInfo"));
    setWindowTitle(title);
    setFixedSize(385, 209);
    setStyleSheet(QStringLiteral("QDialog { background: black; } QLabel { color: white; font-family: Verdana; }"));

    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("LabelHeading"));
    m_heading->setAlignment(Qt::AlignCenter);
    QFont large = m_heading->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    m_heading->setFont(large);

    m_update = new QLabel(this);
    m_update->setObjectName(QStringLiteral("LabelUpdate"));
    auto* updateRow = new QHBoxLayout;
    updateRow->addStretch();
    updateRow->addWidget(new QLabel(QStringLiteral("Letztes Update:"), this));
    updateRow->addWidget(m_update);
    updateRow->addStretch();

    auto* credits = new QLabel(QStringLiteral("Kamerasteuerung mit libgphoto2\n"
                                              "Oberfläche mit Qt 6 und QScintilla\n"
                                              "Bildverarbeitung mit libjpeg-turbo"),
                               this);
    credits->setAlignment(Qt::AlignCenter);

    auto* close = new QPushButton(closeText, this);
    close->setObjectName(QStringLiteral("ButtonClose"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addLayout(updateRow);
    layout->addWidget(bevelLine(this));
    layout->addWidget(credits);
    layout->addWidget(bevelLine(this));
    layout->addWidget(close, 0, Qt::AlignCenter);
}

void TFormInfo::setVersion(const QString& version) { m_heading->setText(QStringLiteral("Shutterhand V") + version); }

void TFormInfo::setLastUpdate(const QString& updateVer) { m_update->setText(updateVer); }

}  // namespace shutterhand
