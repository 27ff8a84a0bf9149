#include "download/AddMessage.h"

#include "runtime/Numbers.h"

namespace quorvo::download {

AddMessage composeAddMessage(int64_t ticked, int64_t duplicates)
{
    if (ticked > 0 && duplicates > 0) {
        return {numbers::fromInteger(ticked - duplicates) + "\xCA\xD7\xD2\xD1\xCC\xED\xBC\xD3,"  // 首已添加,
                    + numbers::fromInteger(duplicates) + "\xCA\xD7\xD6\xD8\xB8\xB4.",            // 首重复.
                {74, 131, 163}};
    }
    if (ticked > 0) {
        return {Text("\xD2\xD1\xCC\xED\xBC\xD3") + numbers::fromInteger(ticked)            // 已添加
                    + "\xCA\xD7\xB8\xE8\xC7\xFA\xD6\xC1\xCF\xC2\xD4\xD8\xC1\xD0\xB1\xED",  // 首歌曲至下载列表
                {69, 186, 107}};
    }
    return {Text("\xC7\xEB\xB9\xB4\xD1\xA1\xD3\xFB\xCF\xC2\xD4\xD8\xB5\xC4\xB8\xE8\xC7\xFA"),  // 请勾选欲下载的歌曲
            {211, 111, 84}};
}

}  // namespace quorvo::download
