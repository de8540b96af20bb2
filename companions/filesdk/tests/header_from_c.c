/* The module's header as a C client sees it: creates and releases a reader
 * and refuses an unknown kind, all from C. */
#include "ZAVIFileSDK.h"

int32_t zavifile_reader_cycle_from_c(void)
{
    ZAVIFILE_HANDLE reader = 0;
    if (ZAVI_Read_InitReader(&reader, 7u) != ZAVIFILE_ERR_KIND) return -1;
    int32_t status = ZAVI_Read_InitReader(&reader, ZAVIFILE_KIND_RECORDING);
    if (status != ZAVIFILE_OK) return status;
    uint32_t record[ZAVIFILE_INFO_VALUES];
    status = ZAVI_Read_GetFileInfo(reader, record);
    ZAVI_Read_ReleaseReader(reader);
    return status;
}
