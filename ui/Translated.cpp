#include "ui/Translated.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace {

constexpr char kTextContext[] = "bcTextContext";
constexpr char kTextSource[] = "bcTextSource";
constexpr char kTipContext[] = "bcTipContext";
constexpr char kTipSource[] = "bcTipSource";

QString translated(const QObject *widget, const char *contextName, const char *sourceName)
{
    const QByteArray context = widget->property(contextName).toByteArray();
    const QByteArray source = widget->property(sourceName).toByteArray();
    return QCoreApplication::translate(context.constData(), source.constData());
}

void applyText(QWidget *widget)
{
    if (!widget->property(kTextSource).isValid())
        return;
    const QString text = translated(widget, kTextContext, kTextSource);
    if (auto *label = qobject_cast<QLabel *>(widget))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(widget))
        button->setText(text);
    else if (auto *group = qobject_cast<QGroupBox *>(widget))
        group->setTitle(text);
}

void applyToolTip(QWidget *widget)
{
    if (widget->property(kTipSource).isValid())
        widget->setToolTip(translated(widget, kTipContext, kTipSource));
}

// Watches only the marked widgets: an application-wide filter would also see
// objects of other libraries that are half destroyed.
class Retranslator : public QObject
{
public:
    static void watch(QWidget *widget)
    {
        static Retranslator *instance = nullptr;
        if (!instance) {
            if (!QCoreApplication::instance())
                return;
            instance = new Retranslator(QCoreApplication::instance());
        }
        widget->removeEventFilter(instance);
        widget->installEventFilter(instance);
    }

protected:
    explicit Retranslator(QObject *parent)
        : QObject(parent)
    {
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::LanguageChange) {
            auto *widget = static_cast<QWidget *>(watched);
            applyText(widget);
            applyToolTip(widget);
        }
        return false;
    }
};

} // namespace

void setTranslatedText(QWidget *widget, const char *context, const char *source)
{
    Retranslator::watch(widget);
    widget->setProperty(kTextContext, QByteArray(context));
    widget->setProperty(kTextSource, QByteArray(source));
    applyText(widget);
}

void setTranslatedToolTip(QWidget *widget, const char *context, const char *source)
{
    Retranslator::watch(widget);
    widget->setProperty(kTipContext, QByteArray(context));
    widget->setProperty(kTipSource, QByteArray(source));
    applyToolTip(widget);
}
