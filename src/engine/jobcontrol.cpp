#include "engine/jobcontrol.h"

#include <QThread>

bool JobControl::waitWhilePaused(bool stopOnAbort) const
{
    while (isPaused() && !(stopOnAbort && isAborted()))
        QThread::msleep(PauseNapMs);
    return isAborted();
}
