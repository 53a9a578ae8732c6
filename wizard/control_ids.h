// Control ids of the wizard window. Every control is a real child window with one of these ids,
// so that screen readers, UI automation and our end-to-end driver can find it.
#pragma once

namespace ko::ids {

enum : int {
    BtnPrev = 1001,
    BtnNext = 1002,
    BtnCancel = 1003,

    PanelStart = 1100,
    PanelInstall = 1101,
    PanelFinish = 1102,
    ImgBanner = 1103,
    LabelStart1 = 1104,
    LabelStart2 = 1105,
    LabelFinish1 = 1106,
    LabelFinish2 = 1107,
    CheckRun = 1108,
    ComboRun = 1109,

    PanelLicense = 1200,
    RichLicense = 1201,
    RadioAccept = 1202,
    RadioNotAccept = 1203,

    PanelInfo = 1300,
    RichInfo = 1301,

    PanelNews = 1400,
    RichNews = 1401,

    PanelFolder = 1500,
    ListMetaTrader = 1501,
    BtnAddMetaTrader = 1502,

    PanelReady = 1600,
    MemoReady = 1601,

    PanelProgress = 1700,
    LabelProgress1 = 1701,
    LabelProgress2 = 1702,
    LabelProgress3 = 1703,
    ProgressBar1 = 1704,
    MemoProgress = 1705,
};

// The head of a page with a band (every page but PanelStart): the page's id plus these.
enum : int {
    HeadTitle = 90,
    HeadSubtitle = 91,
    HeadText = 92,
    HeadIcon = 93,
};

// The check list's item data: 1 when the item is ticked, 0 when not (LB_GETITEMDATA).

} // namespace ko::ids
