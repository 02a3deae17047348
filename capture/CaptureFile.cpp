#include "capture/CaptureFile.h"

void CaptureFile::close()
{
    if (!m_file.isOpen())
        return;
    m_file.flush();
    m_file.close();
}
