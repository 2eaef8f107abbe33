#include "camera/frm_camera.h"

void frmCamera::tmrReconnect_Timer()
{
}
