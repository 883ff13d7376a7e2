// The library's resource ids: every user-visible text is fetched by one of
// these with vrnApi::LoadStr, and messages are shown by id.
#pragma once

inline constexpr int IDS_LIBID = 100;
inline constexpr int CURSOR_ROTATE = 10011;  // the cursor over a figure's turning handle
inline constexpr int IDS_ERR_OPEN_FILE = 105;
inline constexpr int IDS_COLORING = 7015;
inline constexpr int IDS_NAME_TEXT_LAYER = 7017;
inline constexpr int IDS_COPY_COUNT = 7109;
inline constexpr int IDS_COMPOUND_FIGURE = 7110;
inline constexpr int IDS_THICKNESS = 7111;
inline constexpr int IDS_MESS_SHEET_RECTANGLE = 7140;
inline constexpr int IDS_MESS_THICKNESS_MATERIAL = 7141;
inline constexpr int IDS_DETAIL_CONTAINER = 7142;
inline constexpr int IDS_SHEET_SIZE_MM = 7220;
inline constexpr int IDS_KIM_PROC = 7224;
inline constexpr int IDS_WASTES = 7300;
inline constexpr int IDS_WASTE = 7315;
inline constexpr int IDS_MESS_EXPORT_LING = 7414;
inline constexpr int IDS_MESS_PUT_EXPORT_FOLDER = 7415;
inline constexpr int IDS_MESS_SUCCESS_EXPORT_CARD = 7416;
inline constexpr int IDS_MESS_SUCCESS_EXPORT_SHEETS = 7417;
inline constexpr int IDS_MESS_ERROR_EXPORT_SHEETS = 7418;
inline constexpr int IDS_MESS_SUCCESS_EXPORT_WASTES = 7419;
inline constexpr int IDS_MESS_ERROR_EXPORT_WASTES = 7420;
inline constexpr int IDS_MESS_SUCCESS_EXPORT_3D = 7421;
inline constexpr int IDS_MESS_SUCCESS_EXPORT = 7422;
inline constexpr int IDS_MESS_ERROR_IMPORT_BORDER = 7423;
inline constexpr int IDS_MESS_ERROR_IMPORT = 7424;
inline constexpr int IDS_MESS_ERROR_CLOSED_BORDER = 7425;
