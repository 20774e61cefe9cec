#include "ui/VersionLine.h"

CString MakeVersionLine(const WORD awFileVersion[4], const CString& strBuildDate)
{
    CString strVersion;
    strVersion.Format(L"%u.%u.%u.%u", awFileVersion[0], awFileVersion[1], awFileVersion[2],
                      awFileVersion[3]);

    CString strDate = strBuildDate;
    const int nDash = strDate.Find(L'-');
    if (nDash >= 0)
        strDate = strDate.Left(nDash);

    CString strLine;
    if (strDate.GetLength() < 2)
        strLine.Format(L"VERSION: %s ", strVersion.GetString());
    else
        strLine.Format(L"VERSION: %s Build date: %s", strVersion.GetString(), strDate.GetString());
    return strLine;
}
