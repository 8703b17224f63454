#pragma once

#include <QObject>

// Number of recording sessions in progress. One instance lives while the main
// window does; the static operations do nothing when there is none.
class Counter : public QObject
{
    Q_OBJECT
public:
    explicit Counter(QObject *parent = nullptr);
    ~Counter() override;

    static void increment();
    static void decrement();
    static int count();
    static Counter *instance();

signals:
    void countChanged(int count);

private:
    void change(int delta);

    int m_count = 0;
    static Counter *s_instance;
};
