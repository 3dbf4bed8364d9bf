import QtQuick 2.15

// The icon-and-text button whose icon can spin while a synchronisation runs.
KImgTxtBtn {
    id: mBtn

    function setAnimation(status) {
        if (status) {
            mAnimation.start()
        } else {
            mAnimation.stop()
            mIcon.rotation = 0
        }
    }

    RotationAnimation {
        id: mAnimation
        target: mBtn.mIcon
        from: 0
        to: 360
        duration: 1000
        loops: Animation.Infinite
    }
}
