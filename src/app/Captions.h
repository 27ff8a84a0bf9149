#pragma once

// The window's own texts, in program text (GBK bytes); each is written in
// UTF-8 in the comment beside it.

#include <string_view>

namespace quorvo::app::caption {

// The window's title, also the tray icon's tip.
inline constexpr std::string_view windowTitle
    = "Quorvo\xCE\xDE\xCB\xF0\xD2\xF4\xC0\xD6\xCF\xC2\xD4\xD8\xC6\xF7";  // Quorvo无损音乐下载器
inline constexpr std::string_view tabSearch = "\xCB\xD1\xCB\xF7";        // 搜索
inline constexpr std::string_view tabDownload = "\xCF\xC2\xD4\xD8";      // 下载
inline constexpr std::string_view tabSettings = "\xC9\xE8\xD6\xC3";      // 设置
inline constexpr std::string_view tickAll = "\xC8\xAB\xD1\xA1";          // 全选
inline constexpr std::string_view invertTicks = "\xB7\xB4\xD1\xA1";      // 反选
inline constexpr std::string_view addTip = "\xCF\xC2\xD4\xD8\xD1\xA1\xD6\xD0\xB8\xE8\xC7\xFA";     // 下载选中歌曲
inline constexpr std::string_view startTip = "\xBF\xAA\xCA\xBC\xCF\xC2\xD4\xD8";                   // 开始下载
inline constexpr std::string_view pauseTip = "\xD4\xDD\xCD\xA3\xCF\xC2\xD4\xD8";                   // 暂停下载
inline constexpr std::string_view deleteTip = "\xC9\xBE\xB3\xFD\xD1\xA1\xD6\xD0\xB8\xE8\xC7\xFA";  // 删除选中歌曲
inline constexpr std::string_view openFolderTip = "\xB4\xF2\xBF\xAA\xC4\xBF\xC2\xBC";              // 打开目录
inline constexpr std::string_view copyToTip = "\xB8\xE8\xC7\xFA\xB8\xB4\xD6\xC6\xB5\xBD...";       // 歌曲复制到...
inline constexpr std::string_view searchTip = "\xCB\xD1\xCB\xF7";                                  // 搜索
inline constexpr std::string_view browseTip = "\xE4\xAF\xC0\xC0\xCE\xC4\xBC\xFE\xBC\xD0";          // 浏览文件夹
inline constexpr std::string_view playTip = "\xB2\xA5\xB7\xC5\xCC\xE1\xCA\xBE\xD2\xF4";            // 播放提示音
inline constexpr std::string_view columnName = "\xB8\xE8\xC7\xFA\xC3\xFB\xB3\xC6";                 // 歌曲名称
inline constexpr std::string_view columnAlbum = "\xD7\xA8\xBC\xAD";                                // 专辑
inline constexpr std::string_view columnArtist = "\xB8\xE8\xCA\xD6";                               // 歌手
inline constexpr std::string_view columnQuality = "\xC6\xB7\xD6\xCA";                              // 品质
inline constexpr std::string_view columnSize = "\xB3\xDF\xB4\xE7";                                 // 尺寸
inline constexpr std::string_view columnProgress = "\xBD\xF8\xB6\xC8";                             // 进度
inline constexpr std::string_view menuToggle = "\xD2\xFE\xB2\xD8\xB4\xB0\xBF\xDA";                 // 隐藏窗口
inline constexpr std::string_view menuUpdates = "\xBC\xEC\xB2\xE9\xB8\xFC\xD0\xC2";                // 检查更新
inline constexpr std::string_view menuAuthor = "\xD7\xF7\xD5\xDF\xCE\xA2\xB2\xA9";                 // 作者微博
inline constexpr std::string_view menuExit = "\xCD\xCB\xB3\xF6\xB3\xCC\xD0\xF2";                   // 退出程序
inline constexpr std::string_view schemeArtistSong = "\xB8\xE8\xCA\xD6-\xB8\xE8\xC7\xFA";          // 歌手-歌曲
inline constexpr std::string_view schemeSongArtist = "\xB8\xE8\xC7\xFA-\xB8\xE8\xCA\xD6";          // 歌曲-歌手
inline constexpr std::string_view schemeSong = "\xB8\xE8\xC7\xFA";                                 // 歌曲
inline constexpr std::string_view lyricsBox = "\xCF\xC2\xD4\xD8\xB8\xE8\xB4\xCA";                  // 下载歌词
inline constexpr std::string_view soundWhirlwind = "\xD0\xFD\xB7\xE7\xCC\xE1\xCA\xBE\xD2\xF4";     // 旋风提示音
inline constexpr std::string_view soundThunder = "\xD1\xB8\xC0\xD7\xCC\xE1\xCA\xBE\xD2\xF4";       // 迅雷提示音
inline constexpr std::string_view soundNone = "(\xCE\xDE)";                                        // (无)
inline constexpr std::string_view bypassBox = "\xCB\xD1\xCB\xF7\xBD\xE1\xB9\xFB\xC5\xC5\xB3\xFD\xD2\xD1\xB4\xE6\xD4\xDA"
                                              "\xB8\xE8\xC7\xFA";  // 搜索结果排除已存在歌曲
inline constexpr std::string_view removeAddedBox
    = "\xCC\xED\xBC\xD3\xCF\xC2\xD4\xD8\xCA\xB1\xB4\xD3\xCB\xD1\xCB\xF7\xC1\xD0\xB1\xED\xC0\xEF\xC9\xBE\xB3\xFD\xB6\xD4"
      "\xD3\xA6\xB8\xE8\xC7\xFA";  // 添加下载时从搜索列表里删除对应歌曲
inline constexpr std::string_view speedUnit = "KB/s(0\xB2\xBB\xCF\xDE\xD6\xC6)";  // KB/s(0不限制)
inline constexpr std::string_view versionLink = "\xB0\xE6\xB1\xBE:1.0.0.0";       // 版本:1.0.0.0
inline constexpr std::string_view folderTitle
    = "\xC7\xEB\xD1\xA1\xD4\xF1\xB8\xE8\xC7\xFA\xB1\xA3\xB4\xE6\xC4\xBF\xC2\xBC\xA3\xBA";  // 请选择歌曲保存目录：
// The captions left of the settings rows; the blank lines align them.
inline constexpr std::string_view settingsCaptions
    = "\xB8\xE8\xC7\xFA\xB1\xA3\xB4\xE6\xC4\xBF\xC2\xBC\r\n\r\n    \xB1\xA3\xB4\xE6\xB8\xF1\xCA\xBD\r\n\r\n\r\n\r\n  "
      "\xC8\xCE\xCE\xF1\xCC\xE1\xCA\xBE\xD2\xF4\r\n\r\n\r\n\r\n\r\n    "
      "\xCB\xD1\xCB\xF7\xC9\xE8\xD6\xC3\r\n\r\n\r\n\r\n    \xCF\xC2\xD4\xD8\xCF\xDE\xCB\xD9";  // 歌曲保存目录⏎⏎
                                                                                               // 保存格式⏎⏎⏎⏎
                                                                                               // 任务提示音⏎⏎⏎⏎⏎
                                                                                               // 搜索设置⏎⏎⏎⏎ 下载限速
inline constexpr std::string_view copyToMessage = "\xB9\xA6\xC4\xDC\xCE\xB4\xC0\xA9\xD5\xB9..."
                                                  "\r\n\xC8\xE7\xD3\xD0\xD0\xE8\xC7\xF3,"
                                                  "\xB5\xE3\xBB\xF7\xC8\xB7\xC8\xCF\xCE\xA2\xB2\xA9\xCB\xBD\xD0\xC5\xCE"
                                                  "\xD2...";  // 功能未扩展...⏎如有需求,点击确认微博私信我...
inline constexpr std::string_view exitQuestion
    = "\xB8\xE8\xC7\xFA\xCE\xB4\xCF\xC2\xD4\xD8\xCD\xEA\xB1\xCF,"
      "\r\n\xC8\xB7\xC8\xCF\xCD\xCB\xB3\xF6\xB3\xCC\xD0\xF2?";  // 歌曲未下载完毕,⏎确认退出程序?
inline constexpr std::string_view exitKeep = "\xCA\xD6\xBC\xFA\xC1\xCB";  // 手贱了
inline constexpr std::string_view exitConfirm = "\xCA\xC7\xB5\xC4";       // 是的
inline constexpr std::string_view deleteQuestion
    = "\xB8\xC3\xB2\xD9\xD7\xF7\xBD\xAB\xC9\xBE\xB3\xFD\xB9\xB4\xD1\xA1\xB8\xE8\xC7\xFA\xBC\xB0\xB8\xE8\xB4\xCA\xCE\xC4"
      "\xBC\xFE\r\n\xC8\xB7\xC8\xCF\xC9\xBE\xB3\xFD?";  // 该操作将删除勾选歌曲及歌词文件⏎确认删除?

// The folder naming scheme and the lyrics inside the song file.
inline constexpr std::string_view schemeFolders
    = "\xB8\xE8\xCA\xD6/\xD7\xA8\xBC\xAD/\xB8\xE8\xC7\xFA";  // 歌手/专辑/歌曲
inline constexpr std::string_view embedLyricsBox
    = "\xB8\xE8\xB4\xCA\xD0\xB4\xC8\xEB\xB8\xE8\xC7\xFA\xCE\xC4\xBC\xFE";  // 歌词写入歌曲文件

}  // namespace quorvo::app::caption
