#include "core/SerialExecutor.h"

SerialExecutor::SerialExecutor()
{
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(-1);
}

SerialExecutor::~SerialExecutor()
{
    m_pool.waitForDone();
}

void SerialExecutor::post(std::function<void()> task)
{
    m_pool.start(std::move(task));
}

void SerialExecutor::waitForDone()
{
    m_pool.waitForDone();
}
