#include "app/Counter.h"

Counter *Counter::s_instance = nullptr;

Counter::Counter(QObject *parent)
    : QObject(parent)
{
    s_instance = this;
}

Counter::~Counter()
{
    if (s_instance == this)
        s_instance = nullptr;
}

void Counter::increment()
{
    if (s_instance)
        s_instance->change(1);
}

void Counter::decrement()
{
    if (s_instance)
        s_instance->change(-1);
}

int Counter::count()
{
    return s_instance ? s_instance->m_count : 0;
}

Counter *Counter::instance()
{
    return s_instance;
}

void Counter::change(int delta)
{
    m_count += delta;
    emit countChanged(m_count);
}
