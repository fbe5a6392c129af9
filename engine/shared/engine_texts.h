// Engine log texts that are not plain ASCII. The system's texts are GBK (code page 936);
// they are spelled here as byte escapes so every compiler emits exactly these bytes.
#pragma once

// "建立监听端口失败!" — the listening ports could not be opened.
#define TEXT_LISTEN_PORTS_FAILED "\xBD\xA8\xC1\xA2\xBC\xE0\xCC\xFD\xB6\xCB\xBF\xDA\xCA\xA7\xB0\xDC!"
