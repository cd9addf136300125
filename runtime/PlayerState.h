#pragma once
// The runtime's playback settings, filled by the package loader and used by the show
// window (which inherits them as its own fields).
#include <QByteArray>
#include <QPoint>
#include <QString>
#include <QVector>

struct PlayerState {
    QString SaverKind;        // "picture" or "flash"
    int FileCount = 0;        // pictures or movies
    int MusicCount = 0;
    QByteArray MusicKinds;    // MusicKind codes, package order
    int QuitMode = 0;         // 1..5
    int SlideDelay = 0;       // seconds between pictures
    unsigned char Reserved = 0;
    QVector<unsigned char> EffectList; // usable effect numbers, ascending
    int EffectCount = 0;
    QPoint RefPos;            // pointer position at load time
    QPoint CurPos;
    int MoveCount = 0;
    int NextItem = 0;
    int MusicIndex = 0;
    int IdleTicks = 0;
    bool SimulatingKey = false;
};
