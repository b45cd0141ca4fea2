"""Failed calls raise the exception of the code the camera recorded, by name."""

import threading

import pytest

import korvex


def test_an_unplugged_camera_gives_device_error_naming_the_export(cam):
    korvex.sim.unplug(0)
    with pytest.raises(korvex.DeviceError) as failure:
        cam.snap()
    error = failure.value
    assert error.code == 2 and error.name == "KORVEX_ERR_DEVICE"
    assert error.function == "Korvex_SnapShot"
    assert str(error).startswith("Korvex_SnapShot failed: KORVEX_ERR_DEVICE")
    # The general code recorded after the cause is kept too.
    assert error.codes == (2, 1)
    assert isinstance(error, korvex.KorvexError)


def test_each_failure_maps_to_its_own_class(cam):
    with pytest.raises(korvex.DeviceError):
        korvex.Camera(5)  # nothing plugged in at 5
    with pytest.raises(korvex.WindowError):
        cam.size = (1000, 999)  # no stored preset of that size
    with pytest.raises(korvex.NotPossibleError):
        cam.save("never-written.png")  # no image processed yet
    with cam.stream():
        with pytest.raises(korvex.NotPossibleError) as failure:
            cam.snap()  # refused while streaming
        assert failure.value.codes == (1,)
    korvex.sim.set_fault(0, korvex.sim.Fault.FAIL_REGISTER_WRITE, count=-1)
    with pytest.raises(korvex.RefusedError):
        cam.sensor_register[0x20] = 1
    korvex.sim.clear_faults(0)
    cam.sensor_register[0x20] = 1


def test_a_snapshot_that_times_out_raises_and_close_waits_for_it(cam):
    korvex.sim.set_fault(0, korvex.sim.Fault.STALL_STREAM, count=1)
    with pytest.raises(TimeoutError):
        cam.snap(timeout=0.2)
    cam.close()  # the handle is released only after the late snapshot ended
    assert [t for t in threading.enumerate() if t.name == "korvex-snap"] == []
