#include "card/Sheet.h"

namespace card {

QString referenceText()
{
    return QStringLiteral(
        "状态：睡眠、目盲、晕眩、耳聋、受控、濒死、无助、定身、标记（用括号注明被谁标记）、持续伤害、石化、\r\n"
        "倒地、受缚、迟缓、震慑、措手不及、昏迷、虚弱\r\n"
        "结束条件缩写：EoT=回合结束；SoT=回合开始；Sv=直到豁免通过；EoE=遭遇结束。注明到谁的回合，如“晕\r\n"
        "眩/托达克EoT”。状态结束后在表上清除相关记录。\r\n");
}

} // namespace card
